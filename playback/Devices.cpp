// Output devices and tracks of the track set: which outputs of the listening
// room's interface the four tracks play on, and loading one WAV file onto one
// track.
//
// A machine without four usable outputs of the interface still starts: the
// four tracks are then built on the default output, so a session can be
// rehearsed anywhere, and a warning says what was found. When not even the
// default output opens there are no tracks at all, and nothing touches one.
#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/audio/DSound.h"
#include "platform/report/LogBuffer.h"
#include "platform/report/Report.h"
#include "playback/TrackSet.h"
#include "playback/WideText.h"
#include "sound/SoundOutput.h"

namespace {

constexpr const char* UNIT = "TFormMain";
// Every output of the listening room's interface carries this in its description.
constexpr const char* INTERFACE_TEXT = "1:UA-101";
constexpr const char* DEFAULT_OUTPUT_DESCRIPTION = "Driver audio principale";
constexpr const char* WARNING_CAPTION = "Avvertimento :";
// Longest file name, in characters, that a sound may be loaded from.
constexpr std::size_t MAX_FILE_NAME = 1023;
constexpr DWORD TRACK_SOUND_FLAGS = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFX;  // 0x280

std::string HrText(HRESULT hr) {
    char acText[16];
    std::snprintf(acText, sizeof acText, "0x%08X", static_cast<unsigned>(hr));
    return acText;
}

BOOL DSEnumCallback(LPGUID lpGuid, const wchar_t* lpcstrDescription, const wchar_t* /*lpcstrModule*/,
                    void* lpContext) {
    SND_CHECK(lpContext != nullptr, "lpContext", UNIT);
    if (!lpContext) return FALSE;  // there is no list to fill
    TSndGuid Entry;
    if (lpGuid) {
        // Kept for the whole run: the tracks open their devices through it.
        Entry.pGuid = new (std::nothrow) GUID;
        if (!Entry.pGuid) return TRUE;
        *Entry.pGuid = *lpGuid;
    }
    Entry.strDescription = TextOfWide(lpcstrDescription);
    static_cast<TVecSndGuid*>(lpContext)->push_back(Entry);
    return TRUE;
}

// Opens one track on the output pGuid (null: the default output) with the
// primary format every track uses. On failure nothing is kept and strWhy says
// what went wrong, in words the warning can show.
bool OpenTrack(HWND hWnd, LPGUID pGuid, const std::string& strDescription, TSndTrack& TheTrack,
               std::string& strWhy) {
    TheTrack = TSndTrack{};
    TheTrack.pSM = std::make_shared<CSoundManager>();
    HRESULT hr = TheTrack.pSM->Initialize(hWnd, DSSCL_PRIORITY, pGuid);
    if (DS_OK != hr) {
        const std::string strReason = DirectSoundLastOpenError();
        strWhy = "non si apre (" + (strReason.empty() ? HrText(hr) : strReason) + ")";
    } else {
        hr = TheTrack.pSM->SetPrimaryFormat(1, 44100, 16);
        if (DS_OK != hr) strWhy = "rifiuta il formato 1 canale, 44100 Hz, 16 bit (" + HrText(hr) + ")";
    }
    if (DS_OK != hr) {
        TheTrack.pSM.reset();
        return false;
    }
    TheTrack.strDescription = strDescription;
    return true;
}

// All four tracks or none: a partial set goes again with its records. On
// failure strWhy names the output that failed and why.
bool OpenTracks(HWND hWnd, const TVecSndGuid& VecOutputs, TVecSndTrack& Tracks, std::string& strWhy) {
    TVecSndTrack Built;
    for (int i = 0; i < MAXTRACKS; ++i) {
        TSndTrack TheTrack;
        std::string strFailure;
        if (!OpenTrack(hWnd, VecOutputs[i].pGuid, VecOutputs[i].strDescription, TheTrack, strFailure)) {
            strWhy = "uscita \"" + VecOutputs[i].strDescription + "\" " + strFailure;
            return false;
        }
        Built.push_back(TheTrack);
    }
    Tracks.insert(Tracks.end(), Built.begin(), Built.end());
    return true;
}

void Log(TLogBuffer* pLog, const std::string& strLine) {
    if (pLog) pLog->AppendLine(strLine);
}

}  // namespace

void TTrackSet::EnumerateDevices(TVecSndGuid& VecDevices) {
    TVecSndGuid VecListed;
    DirectSoundEnumerateW(DSEnumCallback, &VecListed);
    // Only the matching entries keep their id copies; the others' go with the list.
    for (const TSndGuid& Entry : VecListed) {
        if (Entry.strDescription.find(INTERFACE_TEXT) != std::string::npos)
            VecDevices.push_back(Entry);
        else
            delete Entry.pGuid;
    }
}

void TTrackSet::SetupTracks(const TVecSndGuid& VecDevices, HWND hWnd, TLogBuffer* pLog) {
    std::string strFound;  // what stands in the way of the interface's outputs
    if (VecDevices.size() >= static_cast<std::size_t>(MAXTRACKS)) {
        std::string strWhy;
        if (OpenTracks(hWnd, VecDevices, m_Tracks, strWhy)) return;
        strFound = "L'" + strWhy;
    } else {
        const bool bOne = VecDevices.size() == 1;
        strFound = std::string(bOne ? "Trovata " : "Trovate ") + std::to_string(VecDevices.size()) +
                   (bOne ? " uscita" : " uscite") + " audio \"" + INTERFACE_TEXT + "\", ne servono " +
                   std::to_string(MAXTRACKS);
    }
    Log(pLog, "SetupTracks: " + strFound);

    // The four tracks share one manager on the default output: one stream keeps
    // them aligned, and a default device that takes a single client still opens.
    TSndTrack DefaultTrack;
    std::string strWhy;
    std::string strText = "Attenzione!\n" + strFound + ".\n";
    if (OpenTrack(hWnd, nullptr, DEFAULT_OUTPUT_DESCRIPTION, DefaultTrack, strWhy)) {
        m_Tracks.assign(MAXTRACKS, DefaultTrack);
        Log(pLog, std::string("SetupTracks: le quattro tracce suonano su \"") + DEFAULT_OUTPUT_DESCRIPTION + "\"");
        strText += "Le quattro tracce suonano tutte sull'uscita audio principale:\n"
                   "la sessione si può provare, ma non è un test nella sala d'ascolto.\n";
    } else {
        strWhy = std::string("uscita \"") + DEFAULT_OUTPUT_DESCRIPTION + "\" " + strWhy;
        Log(pLog, "SetupTracks: nessuna traccia, anche l'" + strWhy);
        strText += "Anche l'" + strWhy + ".\nNessuna traccia audio: non si può avviare una sessione.\n";
    }
    ShowMessage(strText, WARNING_CAPTION, MsgIcon::Warning);
}

bool TTrackSet::CreateTrackSound(CSound** ppSound, const std::string& strFileName, int nTrack) {
    const std::wstring wstrFileName = WideOfText(strFileName);
    const bool bNameFits = wstrFileName.size() <= MAX_FILE_NAME;

    // Without any track (no output opened at start-up, already reported) a test
    // runs silently: there is nothing to load onto.
    if (m_Tracks.empty()) return false;
    SND_CHECK(ppSound != nullptr, "ppSound", UNIT);
    const bool bTrackValid = nTrack >= 0 && static_cast<std::size_t>(nTrack) < m_Tracks.size();
    SND_CHECK(bTrackValid, "(nTrack>=0) && (nTrack<m_Tracks.size())", UNIT);
    if (!ppSound || !bTrackValid || !bNameFits || !m_Tracks[nTrack].pSM) return false;

    // The slot is written only on success, whatever the layer leaves behind on failure.
    CSound* pNewSound = nullptr;
    const HRESULT hr =
        m_Tracks[nTrack].pSM->Create(&pNewSound, wstrFileName.c_str(), TRACK_SOUND_FLAGS, GUID_NULL, 1);
    if (FAILED(hr) || !pNewSound) return false;
    m_Sounds.emplace_back(pNewSound);
    // A new buffer stands at full level; it stays silent until the next fade step
    // gives it the session's volume, so a press right after loading cannot let
    // both excerpts through at once.
    if (LPDIRECTSOUNDBUFFER pSndBuf = pNewSound->GetBuffer(0)) pSndBuf->SetVolume(DSBVOLUME_MIN);
    *ppSound = pNewSound;
    return true;
}

void TTrackSet::ReleaseSounds() {
    for (TSndTrack& Track : m_Tracks) {
        for (CSound*& pSound : Track.apSound) pSound = nullptr;
    }
    m_Sounds.clear();
}

void TTrackSet::ReleaseDevices() {
    CDeferredCommands Together;
    for (TSndTrack& Track : m_Tracks) Track.pSM.reset();
}

void TTrackSet::TakeOver(const TVecSndTrack& Records, std::vector<std::unique_ptr<CSound>> Sounds) {
    std::vector<CSound*> OldA;
    for (const TSndTrack& Track : m_Tracks) OldA.push_back(Track.apSound[SLOT_A]);
    m_Tracks = Records;
    for (std::unique_ptr<CSound>& pSound : Sounds) m_Sounds.push_back(std::move(pSound));
    const auto bHeld = [this](const CSound* pSnd) {
        return std::any_of(m_Tracks.begin(), m_Tracks.end(),
                           [pSnd](const TSndTrack& t) { return t.apSound[SLOT_A] == pSnd || t.apSound[SLOT_B] == pSnd; });
    };
    std::erase_if(m_Sounds, [&](const std::unique_ptr<CSound>& pOwned) {
        const CSound* pSnd = pOwned.get();
        return std::find(OldA.begin(), OldA.end(), pSnd) != OldA.end() && !bHeld(pSnd);
    });
}

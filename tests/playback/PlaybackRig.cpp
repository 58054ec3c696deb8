#include "PlaybackRig.h"

#include <QTimer>

#include "common/WavBuilder.h"
#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "sound/SoundOutput.h"

namespace playtest {

std::int16_t ExcerptSample(int nChannel, bool bExcerptB, std::uint32_t nFrame) {
    const std::int32_t nBase = nChannel * BAND - 32768;
    const std::int32_t nStep = static_cast<std::int32_t>(nFrame % BAND);
    return static_cast<std::int16_t>(bExcerptB ? nBase + BAND - 1 - nStep : nBase + nStep);
}

namespace {
std::unique_ptr<TFormMain> WindowFor(Rig kind) {
    if (kind == Rig::Core) return nullptr;
    auto form = std::make_unique<TFormMain>();
    form->FormCreate();
    // As a session does once its first test is loaded.
    form->EnableTestControls(true);
    if (kind == Rig::Window) {
        form->TimerFade->stop();
        form->TimerPos->stop();
    }
    return form;
}

// The tracks as the start-up builds them, without a window.
std::unique_ptr<TTrackSet> NewTrackSet() {
    auto pSet = std::make_unique<TTrackSet>();
    TVecSndGuid VecDevices;
    TTrackSet::EnumerateDevices(VecDevices);
    pSet->SetupTracks(VecDevices, nullptr, nullptr);
    for (TSndGuid& Entry : VecDevices) delete Entry.pGuid;
    return pSet;
}
}  // namespace

PlaybackRig::PlaybackRig(std::vector<audio::OutputInfo> outputs, Rig kind)
    : vb(audio::VirtualBackend::Install(std::move(outputs))),
      form(WindowFor(kind)),
      m_pOwnSet(form ? nullptr : NewTrackSet()),
      set(form ? form->m_TrackSet : *m_pOwnSet) {}

PlaybackRig::~PlaybackRig() {
    if (form) {
        form->TimerFade->stop();
        form->TimerPos->stop();
    }
    vb->StopClock();
    if (form) form->FormClose();
    form.reset();
    m_pOwnSet.reset();
}

std::string PlaybackRig::WriteRaw(const std::string& strName, std::uint16_t channels, std::uint16_t bits,
                                  const std::vector<std::uint8_t>& bytes) {
    wavbuild::Format Format;
    Format.channels = channels;
    Format.bits = bits;
    const std::string strPath = dir.filePath(QString::fromStdString(strName)).toStdString();
    wavbuild::WriteFile(strPath, wavbuild::Wave(Format, bytes));
    return strPath;
}

std::string PlaybackRig::WriteWave(const std::string& strName, const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t s : samples) {
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return WriteRaw(strName, 1, 16, bytes);
}

void PlaybackRig::LoadExcerpts(int nChannels, std::uint32_t nFrames, std::uint32_t nFramesB) {
    for (int c = 0; c < nChannels; ++c) {
        for (int nSlot = 0; nSlot < 2; ++nSlot) {
            const std::uint32_t n = (nSlot == 1 && nFramesB) ? nFramesB : nFrames;
            std::vector<std::int16_t> samples(n);
            for (std::uint32_t k = 0; k < n; ++k) samples[k] = ExcerptSample(c, nSlot == 1, k);
            const std::string strPath =
                WriteWave("ch" + std::to_string(c) + (nSlot ? "_b.wav" : "_a.wav"), samples);
            set.CreateTrackSound(&Slot(c, nSlot), strPath, c);
        }
    }
}

void PlaybackRig::Tick(int n) {
    for (int i = 0; i < n; ++i) set.TimerFadeTimer();
}

void PlaybackRig::PressA() { Press(true); }
void PlaybackRig::PressB() { Press(false); }

void PlaybackRig::Press(bool bA) {
    if (form) {
        (bA ? form->SpeedButtonA : form->SpeedButtonB)->Press();
        return;
    }
    bool& bThis = m_abDown[bA ? 0 : 1];
    bool& bOther = m_abDown[bA ? 1 : 0];
    bThis = !bThis;
    if (bThis) bOther = false;
    set.Press(bA ? psFadeToA : psFadeToB, bThis || bOther);
}

void PlaybackRig::Answer() {
    if (form) form->RadioButtonChoicesClick();
    else set.m_PlayState = psFadeOut;
}

void PlaybackRig::Rewind() {
    if (form) form->Rewind();
    else set.Rewind([this] { m_abDown[0] = m_abDown[1] = false; });
}

void PlaybackRig::Advance(std::uint32_t nFrames) {
    for (std::size_t k = 0; k < set.m_Tracks.size(); ++k) vb->Render(OutputOfTrack(static_cast<int>(k)), nFrames);
}

DWORD PlaybackRig::Position(CSound* pSnd) {
    DWORD dwPlay = 0;
    DWORD dwWrite = 0;
    pSnd->GetBuffer(0)->GetCurrentPosition(&dwPlay, &dwWrite);
    return dwPlay;
}

LONG PlaybackRig::Volume(CSound* pSnd) {
    LONG lVolume = 1;
    pSnd->GetBuffer(0)->GetVolume(&lVolume);
    return lVolume;
}

bool PlaybackRig::Playing(CSound* pSnd) {
    DWORD dwStatus = 0;
    pSnd->GetBuffer(0)->GetStatus(&dwStatus);
    return (dwStatus & DSBSTATUS_PLAYING) != 0;
}

std::vector<CSound*> PlaybackRig::LoadedSounds() const {
    std::vector<CSound*> sounds;
    for (const TSndTrack& Track : set.m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (pSnd) sounds.push_back(pSnd);
        }
    }
    return sounds;
}

}  // namespace playtest

// The session controller: a listening session from "&Nuova Sessione ..." to the
// written results. Tests run in file order; nothing is shuffled or swapped.
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>

#include "app/TFormMain.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
#include "sound/SoundOutput.h"
#include "windows/TFormDebug.h"

namespace {
// Shows the busy cursor while a test's files load; loading reads them synchronously.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
}  // namespace

void TFormMain::FileLoadPlaylistClick() { NewSession(); }

void TFormMain::NewSession() {
    if (!FormSessionSettings || FormSessionSettings->ShowModal() != mrOk) return;

    ResetSession();
    // Without a single output there is nothing to play a test on: say so instead
    // of loading files that could never be heard.
    if (m_Tracks.empty()) {
        MessageBeep();
        ShowMessage("Errore: nessuna uscita audio disponibile.\n"
                    "Non è stato possibile aprire alcun dispositivo audio,\n"
                    "quindi la sessione non può iniziare.",
                    "Errore:", MsgIcon::Error);
        EnableTestControls(false);
        return;
    }
    bool bStarted = false;
    if (LoadPlaylist(FormSessionSettings->EditFilePlayList->text().toStdString())) {
        DumpPlaylist();
        if (LoadCombinations(FormSessionSettings->EditFileCombinations->text().toStdString())) {
            DumpCombinations();
            if (CheckCombinations()) {
                bStarted = true;
            } else {
                MessageBeep();
                ShowMessage("Attenzione!\nVerificare il file delle combinazioni:\n"
                            "alcuni indici potrebbero essere errati.\n\n",
                            "Avvertimento :", MsgIcon::Warning);
            }
        }
    }
    if (!bStarted) {
        EnableTestControls(false);
        return;
    }
    EnableTestControls(PrepareTest(0));
    ShowTestInfo();
    EditNotes->clear();
    RadioButtonNS->setChecked(true);
}

void TFormMain::ResetSession() {
    StopAll();
    m_nCurrentTest = 0;
    m_nChannels = -1;
    m_bStopped = true;
    m_pPlayList->clear();
    m_Combinations.clear();
    if (SpeedButtonA) SpeedButtonA->SetDown(false);
    if (SpeedButtonB) SpeedButtonB->SetDown(false);
    if (FormDebug) FormDebug->ClearLog();
}

bool TFormMain::CheckCombinations() {
    const std::int32_t N = m_nChannels > 0 ? static_cast<std::int32_t>(m_pPlayList->size()) / m_nChannels : 0;
    for (const TTrackCombs& comb : m_Combinations) {
        if (comb.nExcerptA < 1 || comb.nExcerptA > N || comb.nExcerptB < 1 || comb.nExcerptB > N) return false;
    }
    return true;
}

bool TFormMain::PrepareTest(int n) {
    if (n < 0 || n >= static_cast<int>(m_Combinations.size()) || m_nChannels <= 0) return false;
    // Only a record whose excerpts lie inside the playlist is loaded: after a
    // refused start the channel setup's reload may still ask for such a record.
    const std::int64_t a = std::int64_t{m_Combinations[n].nExcerptA} - 1;
    const std::int64_t b = std::int64_t{m_Combinations[n].nExcerptB} - 1;
    const std::int64_t nEntries = static_cast<std::int64_t>(m_pPlayList->size());
    const auto inPlaylist = [&](std::int64_t k) { return k >= 0 && (k + 1) * m_nChannels <= nEntries; };
    if (!inPlaylist(a) || !inPlaylist(b)) return false;
    // Every used track must exist: with fewer tracks than channels the test cannot be loaded.
    if (static_cast<int>(m_Tracks.size()) < m_nChannels) return false;

    BusyCursor busy;
    for (TSndTrack& track : m_Tracks) {
        for (CSound*& pSound : track.apSound) {
            delete pSound;
            pSound = nullptr;
        }
    }
    for (int c = 0; c < m_nChannels; ++c) {
        CreateTrackSound(&m_Tracks[c].apSound[0], (*m_pPlayList)[a * m_nChannels + c], c);
        CreateTrackSound(&m_Tracks[c].apSound[1], (*m_pPlayList)[b * m_nChannels + c], c);
    }
    SetupPositionBar();
    return true;
}

void TFormMain::ShowTestInfo() {
    char text[96];
    std::snprintf(text, sizeof text, "  Tests totali:%2d  ,  test corrente:%2d", static_cast<int>(m_Combinations.size()),
                  m_nCurrentTest + 1);
    LabelInfo->setText(QString::fromUtf8(text));
}

void TFormMain::NextTest() {
    StopAll();
    m_PlayState = psIdle;
    if (m_nCurrentTest >= static_cast<int>(m_Combinations.size())) return;

    TTrackCombs& comb = m_Combinations[m_nCurrentTest];
    comb.bPreferA = RadioButtonA->isChecked();
    comb.bPreferB = RadioButtonB->isChecked();
    comb.bNoPreference = RadioButtonNS->isChecked();
    comb.strNotes = EditNotes->text().toStdString();
    ++m_nCurrentTest;

    if (m_nCurrentTest == static_cast<int>(m_Combinations.size())) {
        EnableTestControls(false);
        LabelInfo->setText(" Sessione completata con successo! Grazie per la collaborazione.");
        SaveResults();
        return;
    }
    Rewind();
    PrepareTest(m_nCurrentTest);
    ShowTestInfo();
    EditNotes->clear();
    RadioButtonNS->setChecked(true);
}

void TFormMain::BitBtnNextTestClick() { NextTest(); }

void TFormMain::RadioButtonChoicesClick() { m_PlayState = psFadeOut; }

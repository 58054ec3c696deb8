// The main window's side of the session controller: a listening session from
// "&Nuova Sessione ..." to the written results. The session (TSession) holds
// the files, the tests and the answers; these members read the dialog and the
// answer controls, and show the progress.
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/TFormMain.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
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
            if (!CheckCombinations())
                TSession::WarnBadIndices();
            else
                bStarted = !m_Session.CheckStimuli(DebugLog()).Refused();
        }
    }
    if (!bStarted) {
        EnableTestControls(false);
        return;
    }
    const std::string strResults = FormSessionSettings->EditFileResults->text().toStdString();
    // An interrupted session of this candidate may go on where it stopped.
    if (m_Session.OfferResume(strResults, CandidateName(), DebugLog()) && m_Session.Complete()) {
        m_Session.BeginRecording(strResults, DebugLog());
        CompleteSession();
        return;
    }
    const bool bLoaded = PrepareTest(m_nCurrentTest);
    // Only a session whose first test is on show keeps a journal: a start that
    // goes no further leaves an earlier journal where it is.
    if (bLoaded) m_Session.BeginRecording(strResults, DebugLog());
    EnableTestControls(bLoaded);
    ShowTestInfo();
    EditNotes->clear();
    RadioButtonNS->setChecked(true);
}

void TFormMain::ResetSession() {
    StopAll();
    m_Session.Reset();
    m_bStopped = true;
    if (SpeedButtonA) SpeedButtonA->SetDown(false);
    if (SpeedButtonB) SpeedButtonB->SetDown(false);
    if (FormDebug) FormDebug->ClearLog();
}

bool TFormMain::CheckCombinations() { return m_Session.CheckCombinations(); }

bool TFormMain::PrepareTest(int n) {
    BusyCursor busy;
    if (!m_Session.PrepareTest(n, m_TrackSet, DebugLog())) return false;
    SetupPositionBar();
    return true;
}

void TFormMain::ShowTestInfo() { LabelInfo->setText(QString::fromStdString(m_Session.TestInfo())); }

void TFormMain::NextTest() {
    StopAll();
    m_PlayState = psIdle;
    if (!m_Session.Submit(RadioButtonA->isChecked(), RadioButtonB->isChecked(), RadioButtonNS->isChecked(),
                          EditNotes->text().toStdString()))
        return;
    // Before the next test loads, so that the last test is kept too.
    m_Session.RecordAnswers(CandidateName(), DebugLog());

    if (m_Session.Complete()) {
        CompleteSession();
        return;
    }
    Rewind();
    PrepareTest(m_nCurrentTest);
    ShowTestInfo();
    EditNotes->clear();
    RadioButtonNS->setChecked(true);
}

void TFormMain::CompleteSession() {
    EnableTestControls(false);
    LabelInfo->setText(QString::fromStdString(
        m_Session.Finish(" Sessione completata con successo! Grazie per la collaborazione.", DebugLog())));
    SaveResults();
}

void TFormMain::BitBtnNextTestClick() { NextTest(); }

void TFormMain::RadioButtonChoicesClick() { m_PlayState = psFadeOut; }

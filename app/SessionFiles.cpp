// The main window's loaders and writer of the session files. The candidate's
// name and the results path are read from the settings dialog here, at the
// moment of writing, and handed to the writer as values.
#include <QLineEdit>

#include "app/TFormMain.h"
#include "platform/ui/Messages.h"
#include "session/TFormSessionSettings.h"
#include "windows/TFormDebug.h"

TLogBuffer* TFormMain::DebugLog() const { return FormDebug ? &FormDebug->Log() : nullptr; }

bool TFormMain::LoadPlaylist(const std::string& strFileName) { return m_Session.LoadPlaylist(strFileName); }

bool TFormMain::LoadCombinations(const std::string& strFileName) { return m_Session.LoadCombinations(strFileName); }

std::string TFormMain::CandidateName() const {
    if (!FormSessionSettings) return std::string();
    FormSessionSettings->BuildControls();
    return FormSessionSettings->EditNomeCandidato->text().toStdString();
}

void TFormMain::SaveResults() {
    SND_CHECK(FormSessionSettings != nullptr, "FormSessionSettings", "TFormMain");
    if (!FormSessionSettings) return;
    FormSessionSettings->BuildControls();
    // The answers of a whole session are at stake: after a failed write the
    // experimenter may choose another path, as often as needed; only cancelling
    // that choice gives them up.
    for (;;) {
        if (m_Session.SaveResults(CandidateName(), FormSessionSettings->EditFileResults->text().toStdString(),
                                  DebugLog()))
            return;
        if (!FormSessionSettings->ExecuteResultsDialog()) return;
    }
}

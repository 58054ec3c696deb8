// The diagnostic blocks the main window writes into the debug log. They are
// written into the log's buffer; the log box shows them in one piece.
#include <cstdio>
#include <string>

#include "app/TFormMain.h"
#include "platform/audio/AudioBackend.h"
#include "platform/report/LogBuffer.h"
#include "windows/TFormDebug.h"

namespace {
std::string Format(const char* strFormat, long a, long b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, strFormat, a, b);
    return buf;
}
}  // namespace

void TFormMain::DumpDevices(const TVecSndGuid& VecDevices) {
    if (!FormDebug) return;
    TLogBuffer& Log = FormDebug->Log();
    Log.AppendLine(SEPARATOR_LINE);
    Log.AppendLine("  SOUND DEVICES:");
    for (const TSndGuid& d : VecDevices) Log.AppendLine(d.strDescription);
    // Which sound server, if any, lists them (the lab's first question when an
    // interface is missing or plays at another rate).
    const std::shared_ptr<audio::IBackend> backend = audio::GetBackend();
    if (const std::string server = backend ? backend->Server() : ""; !server.empty())
        Log.AppendLine("  SERVER JACK: " + server);
}

void TFormMain::DumpPlaylist() {
    if (!FormDebug) return;
    TLogBuffer& Log = FormDebug->Log();
    Log.AppendLine(SEPARATOR_LINE);
    Log.AppendLine("  PLAYLIST");
    for (const std::string& strEntry : *m_pPlayList) Log.AppendLine(strEntry);
}

void TFormMain::DumpCombinations() {
    if (!FormDebug) return;
    TLogBuffer& Log = FormDebug->Log();
    Log.AppendLine(SEPARATOR_LINE);
    Log.AppendLine(Format("  COMBINATIONS: %ld", static_cast<long>(m_Combinations.size())));
    Log.AppendLine("  A\tB");
    for (const TTrackCombs& c : m_Combinations) Log.AppendLine(Format("  %ld\t%ld", c.nExcerptA, c.nExcerptB));
}

void TFormMain::DebugGetSoundBufferCapsClick() {
    if (!FormDebug) return;
    FormDebug->ClearLog();
    if (CSound* pSnd = m_TrackSet.ReferenceSound()) {
        const long n = static_cast<long>(GetBufferLength(pSnd));
        FormDebug->AppendLine(Format("Buffer Length = %ld", n));
    }
    FormDebug->show();
}

// The diagnostic blocks the main window writes into the debug log.
#include <cstdio>
#include <string>

#include "app/TFormMain.h"
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
    FormDebug->AppendLine(SEPARATOR_LINE);
    FormDebug->AppendLine("  SOUND DEVICES:");
    for (const TSndGuid& d : VecDevices) FormDebug->AppendLine(d.strDescription);
}

void TFormMain::DumpPlaylist() {
    if (!FormDebug) return;
    FormDebug->AppendLine(SEPARATOR_LINE);
    FormDebug->AppendLine("  PLAYLIST");
    for (const std::string& strEntry : *m_pPlayList) FormDebug->AppendLine(strEntry);
}

void TFormMain::DumpCombinations() {
    if (!FormDebug) return;
    FormDebug->AppendLine(SEPARATOR_LINE);
    FormDebug->AppendLine(Format("  COMBINATIONS: %ld", static_cast<long>(m_Combinations.size())));
    FormDebug->AppendLine("  A\tB");
    for (const TTrackCombs& c : m_Combinations) FormDebug->AppendLine(Format("  %ld\t%ld", c.nExcerptA, c.nExcerptB));
}

void TFormMain::DebugGetSoundBufferCapsClick() {
    if (!FormDebug) return;
    FormDebug->ClearLog();
    if (!m_Tracks.empty() && m_Tracks[0].apSound[0]) {
        const long n = static_cast<long>(GetBufferLength(m_Tracks[0].apSound[0]));
        FormDebug->AppendLine(Format("Buffer Length = %ld", n));
    }
    FormDebug->show();
}

#include "files/parse/PlaylistParser.h"

#include "files/parse/TextLines.h"

TPlaylistContent ParsePlaylist(const std::vector<std::string>& lines) {
    TPlaylistContent result;
    if (lines.empty()) return result;
    if (lines.front() != PLAYLIST_HEADER) {
        result.status = TPlaylistStatus::BadHeader;
        return result;
    }

    std::size_t channelLine = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("CHANNELS=") != std::string::npos) {
            channelLine = i;
            break;
        }
    }
    // Without a channel line no excerpt can ever be addressed, so the file is
    // refused here, with the message that names the actual fault.
    std::int32_t nValue = -1;
    if (channelLine == lines.size() || !ScanKeywordInt(lines[channelLine], "CHANNELS=", nValue) ||
        (nValue != 2 && nValue != 4)) {
        result.status = TPlaylistStatus::BadChannels;
        return result;
    }
    result.nChannels = nValue;

    for (std::size_t i = channelLine + 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line.find('#') != std::string::npos) continue;
        result.entries.push_back(line);
    }
    result.status = TPlaylistStatus::Ok;
    return result;
}

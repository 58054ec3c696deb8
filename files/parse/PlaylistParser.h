// The playlist file's content: header, channel line and WAV entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* PLAYLIST_HEADER = "SONDARIUM PLAYLIST";

enum class TPlaylistStatus {
    Ok,
    NoLines,      // nothing to read: refused without a message
    BadHeader,    // the first line is not the header
    BadChannels,  // no channel line, or its value is not 2 or 4
};

struct TPlaylistContent {
    TPlaylistStatus status = TPlaylistStatus::NoLines;
    std::int32_t nChannels = -1;        // 2 or 4 when status is Ok
    std::vector<std::string> entries;   // WAV paths in file order, as written
};

// The channel line is the first line containing "CHANNELS=" anywhere; it must
// begin with it. Entries are the lines after it that are neither empty nor
// contain "#". Every entry count is accepted: an incomplete last excerpt is
// kept, and nothing ever addresses it.
TPlaylistContent ParsePlaylist(const std::vector<std::string>& lines);

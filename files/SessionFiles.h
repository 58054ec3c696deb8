// The session files' loaders and the results writer. Each reads or writes the
// whole file, reports its own failures with the messages of the session files
// and returns false then; the callers stop quietly on false. Plain C++, GUI
// thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/TrackCombs.h"

using TStringList = std::vector<std::string>;

// The entries and the channel count of a playlist. Both are left as they are
// unless the load succeeds (the channel count also after a wrong count line).
bool LoadPlaylist(const std::string& strFileName, TStringList& PlayList, std::int32_t& nChannels);
// The tests of a combinations file, kept also when their number disagrees
// with the count line (the load then fails).
bool LoadCombinations(const std::string& strFileName, TVecCombinations& Combinations);
// Writes the results of a session for the candidate strName to strFileName,
// replacing the file whole once every byte is on the disk; a failed write
// leaves an earlier file as it was, and says why in *pError when given.
bool SaveResults(const std::string& strName, const std::string& strFileName, const TVecCombinations& Combinations,
                 std::string* pError = nullptr);

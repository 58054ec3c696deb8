// Writing a whole text file for the lab tools, bytes as given.
#pragma once

#include <string>

namespace labstats {

// Creates or replaces the file; false when it could not be written whole.
bool WriteTextFile(const std::string& strPath, const std::string& text);

}  // namespace labstats

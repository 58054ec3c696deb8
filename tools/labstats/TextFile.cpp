#include "TextFile.h"

#include <fstream>

namespace labstats {

bool WriteTextFile(const std::string& strPath, const std::string& text) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace labstats

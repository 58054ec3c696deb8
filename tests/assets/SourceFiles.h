// Reading the committed files of the source tree, and the RIFF layout of a WAV.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace assets_test {

using Bytes = std::vector<std::uint8_t>;

// The source tree: as the test runner names it, or else the folder two levels
// above this file's own (tests/assets/), whose full path the compiler records.
inline std::string SourcePath(const std::string& relative) {
    if (const char* dir = std::getenv("SONDARIUM_SOURCE_DIR"); dir && *dir) return std::string(dir) + "/" + relative;
    std::string top = __FILE__;
    for (int up = 0; up < 3; ++up) {
        const std::size_t slash = top.find_last_of('/');
        if (slash == std::string::npos) return "./" + relative;
        top.erase(slash);
    }
    return top + "/" + relative;
}

inline bool ReadBytes(const std::string& path, Bytes& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

inline std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
inline std::uint16_t Le16(const Bytes& b, std::size_t at) { return std::uint16_t(b[at] | b[at + 1] << 8); }

struct Chunk {
    std::string id;
    std::size_t offset = 0;  // of the chunk's payload
    std::uint32_t size = 0;  // payload bytes, without the pad byte
};

struct RiffWave {
    bool wellFormed = false;  // "RIFF" size "WAVE", chunks that end exactly at the file's end
    std::vector<Chunk> chunks;
    const Chunk* find(const std::string& id) const {
        for (const Chunk& c : chunks)
            if (c.id == id) return &c;
        return nullptr;
    }
};

inline RiffWave ParseRiffWave(const Bytes& b) {
    RiffWave w;
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE" || Le32(b, 4) != b.size() - 8)
        return w;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        Chunk c{std::string(b.begin() + at, b.begin() + at + 4), at + 8, Le32(b, at + 4)};
        at = c.offset + c.size + (c.size % 2);
        if (at > b.size()) return w;
        w.chunks.push_back(c);
    }
    w.wellFormed = at == b.size();
    return w;
}

} // namespace assets_test

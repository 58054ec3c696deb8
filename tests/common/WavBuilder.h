// Builds WAV (and other RIFF) images byte by byte for tests: arbitrary chunk lists
// with declared sizes that may lie, pad bytes that may be left out, the big-endian
// RIFX form, and PCM or float sample data with a recognisable pattern.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wavbuild {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, std::uint16_t v);
void PutU32(Bytes& out, std::uint32_t v);
void PutId(Bytes& out, const std::string& id);  // four characters, blank-padded
Bytes Text(const std::string& s);

struct Chunk {
    std::string id;
    Bytes body;
    std::optional<std::uint32_t> declaredSize{};  // default: the body's size
    bool pad = true;                            // pad byte after an odd body
};

struct Riff {
    std::string id = "RIFF";
    std::string form = "WAVE";
    std::vector<Chunk> chunks;
    std::optional<std::uint32_t> declaredSize;  // default: everything after the size field
    bool bigEndian = false;                     // sizes written most significant byte first (RIFX)

    Riff& Add(const std::string& chunkId, Bytes body) {
        chunks.push_back({chunkId, std::move(body), std::nullopt, true});
        return *this;
    }
    Bytes Build() const;
};

// A sample format: tag 1 (PCM, 8/16/24/32 bits) or 3 (32-bit float).
struct Format {
    std::uint16_t tag = 1;
    std::uint16_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
    std::uint16_t BlockAlign() const { return static_cast<std::uint16_t>(channels * (bits / 8)); }
};

// A "fmt " body: the 16 fixed bytes, then (when given) the 16-bit extension count
// and the extension, then zeros up to bodySize.
Bytes FmtBody(const Format& f, std::size_t bodySize = 16, std::optional<std::uint16_t> cbSize = std::nullopt,
              const Bytes& extension = {});

// frames of a deterministic ramp in the given format (little-endian samples).
Bytes Samples(const Format& f, std::uint32_t frames, std::uint32_t seed = 1);

// A plain WAVE image: "fmt " (16 bytes; 18 with cbSize 0 for other tags) then "data".
Bytes Wave(const Format& f, const Bytes& samples);

// Writes the bytes to path, replacing any file there; false on failure.
bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace wavbuild

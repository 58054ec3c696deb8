#include "common/WavBuilder.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace wavbuild {

void PutU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutId(Bytes& out, const std::string& id) {
    for (std::size_t i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(i < id.size() ? id[i] : ' '));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

namespace {

void PutSize(Bytes& out, std::uint32_t v, bool bigEndian) {
    if (!bigEndian) return PutU32(out, v);
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

Bytes Riff::Build() const {
    Bytes body;
    PutId(body, form);
    for (const Chunk& c : chunks) {
        PutId(body, c.id);
        PutSize(body, c.declaredSize.value_or(static_cast<std::uint32_t>(c.body.size())), bigEndian);
        body.insert(body.end(), c.body.begin(), c.body.end());
        if (c.pad && (c.body.size() & 1)) body.push_back(0);
    }
    Bytes out;
    PutId(out, id);
    PutSize(out, declaredSize.value_or(static_cast<std::uint32_t>(body.size())), bigEndian);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes FmtBody(const Format& f, std::size_t bodySize, std::optional<std::uint16_t> cbSize, const Bytes& extension) {
    Bytes b;
    PutU16(b, f.tag);
    PutU16(b, f.channels);
    PutU32(b, f.rate);
    PutU32(b, f.rate * f.BlockAlign());
    PutU16(b, f.BlockAlign());
    PutU16(b, f.bits);
    if (cbSize) PutU16(b, *cbSize);
    b.insert(b.end(), extension.begin(), extension.end());
    if (b.size() < bodySize) b.resize(bodySize, 0);
    return b;
}

Bytes Samples(const Format& f, std::uint32_t frames, std::uint32_t seed) {
    Bytes out;
    const int bytesPerSample = f.bits / 8;
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (std::uint16_t c = 0; c < f.channels; ++c) {
            const std::uint32_t v = (i * 2654435761u) ^ (seed * 40503u + c * 977u);
            if (f.tag == 3) {
                const float x = std::sin(static_cast<float>(v % 6283) / 1000.0f) * 0.5f;
                std::uint32_t raw;
                std::memcpy(&raw, &x, 4);
                PutU32(out, raw);
            } else {
                for (int k = 0; k < bytesPerSample; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
            }
        }
    }
    return out;
}

Bytes Wave(const Format& f, const Bytes& samples) {
    Riff r;
    // Formats other than PCM carry their extension count, as their writers do.
    r.Add("fmt ", f.tag == 1 ? FmtBody(f) : FmtBody(f, 18, 0)).Add("data", samples);
    return r.Build();
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    // A new file rather than a truncated one: truncating a file with data makes
    // ext4 flush it on close, which slows tests that rewrite one file many times.
    std::remove(path.c_str());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace wavbuild

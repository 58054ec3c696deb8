#include "Wav.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace wav {
namespace {

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}
void put16(Bytes& b, std::uint16_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void putId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(id[i]));
}

} // namespace

std::vector<std::int16_t> toPcm16(const std::vector<double>& signal) {
    std::vector<std::int16_t> out;
    out.reserve(signal.size());
    for (double s : signal) out.push_back(std::int16_t(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0)));
    return out;
}

Bytes chunk(const char (&id)[5], const Bytes& payload) {
    Bytes b;
    putId(b, id);
    put32(b, std::uint32_t(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    if (payload.size() % 2) b.push_back(0);
    return b;
}

Bytes infoList(const char (&field)[5], const std::string& text, std::size_t payloadBytes) {
    Bytes value(text.begin(), text.end());
    value.resize(std::max(payloadBytes, text.size() + 1), 0); // always NUL-terminated
    Bytes info;
    putId(info, "INFO");
    const Bytes sub = chunk(field, value);
    info.insert(info.end(), sub.begin(), sub.end());
    return chunk("LIST", info);
}

Bytes riffMono16(const std::vector<std::int16_t>& samples, const Bytes& trailing) {
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    Bytes b;
    putId(b, "RIFF");
    put32(b, 4 + (8 + 16) + (8 + dataBytes) + std::uint32_t(trailing.size()));
    putId(b, "WAVE");
    putId(b, "fmt ");
    put32(b, 16);
    put16(b, 1);          // PCM
    put16(b, 1);          // mono
    put32(b, kRate);
    put32(b, kRate * 2);  // bytes per second
    put16(b, 2);          // block alignment
    put16(b, 16);         // bits per sample
    putId(b, "data");
    put32(b, dataBytes);
    for (std::int16_t s : samples) put16(b, std::uint16_t(s));
    b.insert(b.end(), trailing.begin(), trailing.end());
    return b;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

} // namespace wav

// RIFF WAVE images of mono 16-bit 44100 Hz PCM, built byte by byte so that the
// tools that make the embedded sounds and the demo excerpts write the same
// layout and the same bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wav {

constexpr int kRate = 44100;
using Bytes = std::vector<std::uint8_t>;

// Scales a signal in [-1, 1] to 16-bit samples, rounding and clamping.
std::vector<std::int16_t> toPcm16(const std::vector<double>& signal);

// One RIFF chunk: id, little-endian size, payload and the pad byte an odd size needs.
Bytes chunk(const char (&id)[5], const Bytes& payload);

// "LIST" chunk of type "INFO" holding one text field, NUL-padded to payloadBytes
// so that the chunk has the size a caller needs.
Bytes infoList(const char (&field)[5], const std::string& text, std::size_t payloadBytes);

// The whole file: the 44-byte header, the samples, then any trailing chunks.
Bytes riffMono16(const std::vector<std::int16_t>& samples, const Bytes& trailing = {});

bool writeFile(const std::string& path, const Bytes& bytes);

} // namespace wav

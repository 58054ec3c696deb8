// Inside of a buffered RIFF stream, shared by the stream operations (Mmio.cpp)
// and the chunk walk (MmioChunks.cpp). Not for use outside platform/riff.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/riff/Mmio.h"

// Positions are kept in 64 bits so that no sum of an offset and a claimed size can
// wrap; the visible part of any stream is capped at LONG's range because the
// service reports positions as LONG.
constexpr std::int64_t MMIO_MAX_STREAM = 0x7FFFFFFF;

struct MmioStream {
    std::FILE* file = nullptr;     // file stream; null for a memory stream
    std::vector<char> ownBuffer;   // the file stream's buffer
    std::int64_t size = 0;         // bytes the stream holds
    char* pchBuffer = nullptr;     // file: ownBuffer; memory: the caller's block
    LONG cchBuffer = 0;
    char* pchNext = nullptr;       // next byte to read
    char* pchEndRead = nullptr;    // one past the last valid byte in the buffer
    std::int64_t lBufOffset = 0;   // stream offset of pchBuffer

    bool IsMemory() const { return file == nullptr; }
    std::int64_t Position() const { return lBufOffset + (pchNext - pchBuffer); }
    bool Refill();                 // file: reload the buffer at Position(); false on a read error
    bool SeekTo(std::int64_t pos); // within [0, size]; false otherwise
    std::int64_t ReadBytes(char* dest, std::int64_t count);
};

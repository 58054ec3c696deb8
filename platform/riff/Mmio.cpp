// The buffered stream itself: opening a file or a memory block, reading, seeking,
// direct buffer access and closing. The chunk walk is in MmioChunks.cpp.
#include "platform/riff/Mmio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

#include <QFile>
#include <QString>

#include "platform/riff/MmioStream.h"

namespace {

// A file stream reads through a buffer of this size; a memory stream's buffer is
// the whole block, so it never needs refilling.
constexpr LONG FILE_BUFFER_BYTES = 32 * 1024;

void SetError(MMIOINFO* pInfo, MMRESULT code) {
    if (pInfo) pInfo->wErrorRet = code;
}

// Opens a regular file only: a FIFO or a device could block the control thread or
// never end, and a directory cannot be read.
std::FILE* OpenRegularFile(const wchar_t* pszFileName, std::int64_t& size) {
    const QByteArray path = QFile::encodeName(QString::fromWCharArray(pszFileName));
    if (path.isEmpty()) return nullptr;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    size = std::min<std::int64_t>(st.st_size, MMIO_MAX_STREAM);
    return file;
}

HMMIO OpenFileStream(const wchar_t* pszFileName, MMIOINFO* pInfo) {
    std::int64_t size = 0;
    std::FILE* file = OpenRegularFile(pszFileName, size);
    if (!file) {
        SetError(pInfo, MMIOERR_FILENOTFOUND);
        return nullptr;
    }
    auto* s = new (std::nothrow) MmioStream;
    if (s) {
        try {
            s->ownBuffer.resize(FILE_BUFFER_BYTES);
        } catch (const std::bad_alloc&) {
            delete s;
            s = nullptr;
        }
    }
    if (!s) {
        std::fclose(file);
        SetError(pInfo, MMIOERR_OUTOFMEMORY);
        return nullptr;
    }
    s->file = file;
    s->size = size;
    s->pchBuffer = s->ownBuffer.data();
    s->cchBuffer = FILE_BUFFER_BYTES;
    s->pchNext = s->pchEndRead = s->pchBuffer;
    SetError(pInfo, MMSYSERR_NOERROR);
    return s;
}

HMMIO OpenMemoryStream(MMIOINFO* pInfo) {
    if (!pInfo->pchBuffer || pInfo->cchBuffer < 0) {
        SetError(pInfo, MMSYSERR_INVALPARAM);
        return nullptr;
    }
    auto* s = new (std::nothrow) MmioStream;
    if (!s) {
        SetError(pInfo, MMIOERR_OUTOFMEMORY);
        return nullptr;
    }
    s->size = pInfo->cchBuffer;
    s->pchBuffer = pInfo->pchBuffer;
    s->cchBuffer = pInfo->cchBuffer;
    s->pchNext = s->pchBuffer;
    s->pchEndRead = s->pchBuffer + pInfo->cchBuffer;
    SetError(pInfo, MMSYSERR_NOERROR);
    return s;
}

// A buffer position handed back by a caller must lie in the stream's valid bytes.
bool ValidNext(const MmioStream* s, const MMIOINFO* pInfo) {
    return pInfo->pchBuffer == s->pchBuffer && pInfo->pchNext >= s->pchBuffer && pInfo->pchNext <= s->pchEndRead;
}

}  // namespace

bool MmioStream::Refill() {
    if (IsMemory()) return true;
    const std::int64_t pos = Position();
    std::size_t got = 0;
    if (pos < size) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(cchBuffer, size - pos));
        if (::fseeko(file, static_cast<off_t>(pos), SEEK_SET) != 0) return false;
        got = std::fread(pchBuffer, 1, want, file);
        if (got < want && std::ferror(file)) {
            std::clearerr(file);
            return false;
        }
    }
    lBufOffset = pos;
    pchNext = pchBuffer;
    pchEndRead = pchBuffer + got;
    return true;
}

bool MmioStream::SeekTo(std::int64_t pos) {
    if (pos < 0 || pos > size) return false;
    if (pos >= lBufOffset && pos <= lBufOffset + (pchEndRead - pchBuffer)) {
        pchNext = pchBuffer + (pos - lBufOffset);
    } else {
        // Outside the buffered bytes: start an empty buffer there; the next read fills it.
        lBufOffset = pos;
        pchNext = pchEndRead = pchBuffer;
    }
    return true;
}

std::int64_t MmioStream::ReadBytes(char* dest, std::int64_t count) {
    std::int64_t done = 0;
    while (done < count) {
        if (pchNext == pchEndRead) {
            if (IsMemory()) break;
            if (!Refill()) return -1;
            if (pchNext == pchEndRead) break;
        }
        const std::int64_t n = std::min<std::int64_t>(count - done, pchEndRead - pchNext);
        std::memcpy(dest + done, pchNext, static_cast<std::size_t>(n));
        pchNext += n;
        done += n;
    }
    return done;
}

HMMIO mmioOpenW(const wchar_t* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen) {
    // Only buffered reading is provided: any access or creation flag is refused.
    if ((fdwOpen & ~MMIO_ALLOCBUF) != MMIO_READ) {
        SetError(pmmioinfo, MMSYSERR_INVALPARAM);
        return nullptr;
    }
    if (pmmioinfo && pmmioinfo->fccIOProc == FOURCC_MEM) return OpenMemoryStream(pmmioinfo);
    if (!pszFileName) {
        SetError(pmmioinfo, MMSYSERR_INVALPARAM);
        return nullptr;
    }
    return OpenFileStream(pszFileName, pmmioinfo);
}

MMRESULT mmioClose(HMMIO hmmio, UINT) {
    if (!hmmio) return MMSYSERR_INVALHANDLE;
    if (hmmio->file) std::fclose(hmmio->file);
    delete hmmio;
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO hmmio, char* pch, LONG cch) {
    if (!hmmio || cch < 0 || (!pch && cch > 0)) return -1;
    return static_cast<LONG>(hmmio->ReadBytes(pch, cch));
}

LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
    if (!hmmio) return -1;
    std::int64_t base = 0;
    switch (iOrigin) {
    case SEEK_SET_: base = 0; break;
    case SEEK_CUR_: base = hmmio->Position(); break;
    case SEEK_END_: base = hmmio->size; break;
    default: return -1;
    }
    const std::int64_t target = base + lOffset;
    if (!hmmio->SeekTo(target)) return -1;
    return static_cast<LONG>(target);
}

MMRESULT mmioGetInfo(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT) {
    if (!hmmio) return MMSYSERR_INVALHANDLE;
    if (!pmmioinfo) return MMSYSERR_INVALPARAM;
    MMIOINFO info{};
    info.dwFlags = MMIO_READ | (hmmio->IsMemory() ? 0 : MMIO_ALLOCBUF);
    info.fccIOProc = hmmio->IsMemory() ? FOURCC_MEM : mmioFOURCC('D', 'O', 'S', ' ');
    info.cchBuffer = hmmio->cchBuffer;
    info.pchBuffer = hmmio->pchBuffer;
    info.pchNext = hmmio->pchNext;
    info.pchEndRead = hmmio->pchEndRead;
    info.pchEndWrite = hmmio->pchBuffer + hmmio->cchBuffer;
    info.lBufOffset = static_cast<LONG>(hmmio->lBufOffset);
    info.lDiskOffset = static_cast<LONG>(hmmio->lBufOffset + (hmmio->pchEndRead - hmmio->pchBuffer));
    info.hmmio = hmmio;
    *pmmioinfo = info;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO hmmio, const MMIOINFO* pmmioinfo, UINT) {
    if (!hmmio) return MMSYSERR_INVALHANDLE;
    if (!pmmioinfo || !ValidNext(hmmio, pmmioinfo)) return MMSYSERR_INVALPARAM;
    hmmio->pchNext = pmmioinfo->pchNext;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT fuAdvance) {
    if (!hmmio) return MMSYSERR_INVALHANDLE;
    if (fuAdvance != MMIO_READ || !pmmioinfo || !ValidNext(hmmio, pmmioinfo)) return MMSYSERR_INVALPARAM;
    // The buffer is reloaded from where the caller stands, so an advance never skips
    // bytes the caller has not taken yet. A memory block has nothing more to give.
    hmmio->pchNext = pmmioinfo->pchNext;
    if (!hmmio->Refill()) {
        pmmioinfo->wErrorRet = MMIOERR_CANNOTREAD;
        return MMIOERR_CANNOTREAD;
    }
    return mmioGetInfo(hmmio, pmmioinfo, 0);
}

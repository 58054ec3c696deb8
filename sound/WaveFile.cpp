// CWaveFile: the format record and the sample bytes of one wave, read from a RIFF
// WAVE file (or an embedded resource of that name) through the buffered RIFF
// stream, or taken from a caller's block of raw PCM bytes.
#include "sound/WaveFile.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <new>

#include "platform/resources/Resources.h"
#include "sound/Trace.h"

namespace {

constexpr FOURCC FOURCC_WAVE = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC FOURCC_FMT = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC FOURCC_DATA = mmioFOURCC('d', 'a', 't', 'a');

// The first six fields of the format record, as a "fmt " body begins with them.
constexpr LONG PCM_HEADER_BYTES = 16;

// Format records are allocated as bytes: their extension follows the fixed part.
WAVEFORMATEX* NewFormat(std::size_t extraBytes) {
    return reinterpret_cast<WAVEFORMATEX*>(new (std::nothrow) BYTE[sizeof(WAVEFORMATEX) + extraBytes]);
}

void DeleteFormat(WAVEFORMATEX* pwfx) { delete[] reinterpret_cast<BYTE*>(pwfx); }

}  // namespace

CWaveFile::CWaveFile()
    : m_pwfx(nullptr), m_hmmio(nullptr), m_ckData{}, m_ckForm{}, m_dwDataSize(0), m_dwOpenMode(0),
      m_bFromData(false), m_pbData(nullptr), m_pbReadPos(nullptr), m_cbData(0), m_pResourceCopy(nullptr) {}

CWaveFile::~CWaveFile() {
    Close();
    if (!m_bFromData) DeleteFormat(m_pwfx);
    m_pwfx = nullptr;
}

HRESULT CWaveFile::Open(const wchar_t* strFileName, WAVEFORMATEX*, DWORD dwFlags) {
    // A record borrowed from an earlier attachment is the caller's, never ours to free.
    if (m_bFromData) m_pwfx = nullptr;
    m_dwOpenMode = dwFlags;
    m_bFromData = false;
    if (dwFlags != WAVEFILE_READ) return DXTRACE_ERR_NOMSGBOX(L"Open", E_NOTIMPL);
    if (!strFileName) return DXTRACE_ERR_NOMSGBOX(L"strFileName", E_INVALIDARG);

    DeleteFormat(m_pwfx);
    m_pwfx = nullptr;
    // A second Open must not leak the first one's stream or copy.
    Close();

    m_hmmio = mmioOpenW(strFileName, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (!m_hmmio) {
        HRSRC hResInfo = FindResourceW(nullptr, strFileName, L"WAVE");
        if (!hResInfo) hResInfo = FindResourceW(nullptr, strFileName, L"WAV");
        if (!hResInfo) return DXTRACE_ERR_NOMSGBOX(L"FindResource", E_FAIL);
        HGLOBAL hResData = LoadResource(nullptr, hResInfo);
        if (!hResData) return DXTRACE_ERR_NOMSGBOX(L"LoadResource", E_FAIL);
        const DWORD dwSize = SizeofResource(nullptr, hResInfo);
        if (dwSize == 0) return DXTRACE_ERR_NOMSGBOX(L"SizeofResource", E_FAIL);
        const void* pvRes = LockResource(hResData);
        if (!pvRes) return DXTRACE_ERR_NOMSGBOX(L"LockResource", E_FAIL);
        // The in-memory stream measures its block in LONG.
        if (dwSize > static_cast<DWORD>(std::numeric_limits<LONG>::max())) return DXTRACE_ERR_NOMSGBOX(L"SizeofResource", E_FAIL);

        m_pResourceCopy = new (std::nothrow) BYTE[dwSize];
        if (!m_pResourceCopy) return DXTRACE_ERR_NOMSGBOX(L"new", E_OUTOFMEMORY);
        std::memcpy(m_pResourceCopy, pvRes, dwSize);

        MMIOINFO mmioInfo{};
        mmioInfo.fccIOProc = FOURCC_MEM;
        mmioInfo.cchBuffer = static_cast<LONG>(dwSize);
        mmioInfo.pchBuffer = reinterpret_cast<char*>(m_pResourceCopy);
        m_hmmio = mmioOpenW(nullptr, &mmioInfo, MMIO_ALLOCBUF | MMIO_READ);
        if (!m_hmmio) return DXTRACE_ERR_NOMSGBOX(L"mmioOpen", E_FAIL);
    }

    HRESULT hr = ReadMMIO();
    if (FAILED(hr)) {
        mmioClose(m_hmmio, 0);
        m_hmmio = nullptr;
        return DXTRACE_ERR_NOMSGBOX(L"ReadMMIO", hr);
    }
    hr = ResetFile();
    if (FAILED(hr)) return DXTRACE_ERR_NOMSGBOX(L"ResetFile", hr);

    m_dwDataSize = m_ckData.cksize;
    return S_OK;
}

HRESULT CWaveFile::ReadMMIO() {
    m_pwfx = nullptr;
    assert(m_hmmio && "m_hmmio");
    if (!m_hmmio) return DXTRACE_ERR_NOMSGBOX(L"m_hmmio", E_FAIL);

    if (mmioDescend(m_hmmio, &m_ckForm, nullptr, 0) != 0) return DXTRACE_ERR_NOMSGBOX(L"mmioDescend", E_FAIL);
    if (m_ckForm.ckid != FOURCC_RIFF || m_ckForm.fccType != FOURCC_WAVE)
        return DXTRACE_ERR_NOMSGBOX(L"mmioFOURCC", E_FAIL);

    MMCKINFO ckIn{};
    ckIn.ckid = FOURCC_FMT;
    if (mmioDescend(m_hmmio, &ckIn, &m_ckForm, MMIO_FINDCHUNK) != 0)
        return DXTRACE_ERR_NOMSGBOX(L"mmioDescend", E_FAIL);

    WAVEFORMATEX pcmHeader{};
    if (mmioRead(m_hmmio, reinterpret_cast<char*>(&pcmHeader), PCM_HEADER_BYTES) != PCM_HEADER_BYTES)
        return DXTRACE_ERR_NOMSGBOX(L"mmioRead", E_FAIL);

    if (pcmHeader.wFormatTag == WAVE_FORMAT_PCM) {
        m_pwfx = NewFormat(0);
        if (!m_pwfx) return DXTRACE_ERR_NOMSGBOX(L"m_pwfx", E_FAIL);
        std::memcpy(m_pwfx, &pcmHeader, PCM_HEADER_BYTES);
        m_pwfx->cbSize = 0;
    } else {
        // Whatever follows the 16 bytes is taken as the extension count, even past
        // the end of a 16-byte chunk.
        WORD cbExtraBytes = 0;
        if (mmioRead(m_hmmio, reinterpret_cast<char*>(&cbExtraBytes), sizeof(WORD)) != sizeof(WORD))
            return DXTRACE_ERR_NOMSGBOX(L"mmioRead", E_FAIL);
        m_pwfx = NewFormat(cbExtraBytes);
        if (!m_pwfx) return DXTRACE_ERR_NOMSGBOX(L"new", E_FAIL);
        std::memcpy(m_pwfx, &pcmHeader, PCM_HEADER_BYTES);
        m_pwfx->cbSize = cbExtraBytes;
        char* pExtra = reinterpret_cast<char*>(m_pwfx) + sizeof(WAVEFORMATEX);
        if (mmioRead(m_hmmio, pExtra, cbExtraBytes) != cbExtraBytes) {
            DeleteFormat(m_pwfx);
            m_pwfx = nullptr;
            return DXTRACE_ERR_NOMSGBOX(L"mmioRead", E_FAIL);
        }
    }

    if (mmioAscend(m_hmmio, &ckIn, 0) != 0) {
        DeleteFormat(m_pwfx);
        m_pwfx = nullptr;
        return DXTRACE_ERR_NOMSGBOX(L"mmioAscend", E_FAIL);
    }
    return S_OK;
}

HRESULT CWaveFile::OpenFromData(BYTE* pbData, ULONG ulDataSize, WAVEFORMATEX* pwfx, DWORD dwFlags) {
    // What an earlier Open left (stream, resource copy, format record) is ours to
    // release; the caller's block and record replace it.
    if (!m_bFromData) {
        Close();
        DeleteFormat(m_pwfx);
    }
    m_pwfx = pwfx;
    m_cbData = ulDataSize;
    m_pbData = pbData;
    m_pbReadPos = m_pbData;
    m_bFromData = true;
    if (dwFlags != WAVEFILE_READ) return DXTRACE_ERR_NOMSGBOX(L"OpenFromData", E_NOTIMPL);
    return S_OK;
}

DWORD CWaveFile::GetSize() { return m_dwDataSize; }

HRESULT CWaveFile::ResetFile() {
    if (m_bFromData) {
        m_pbReadPos = m_pbData;
        return S_OK;
    }
    if (!m_hmmio) return DXTRACE_ERR_NOMSGBOX(L"m_hmmio", CO_E_NOTINITIALIZED);

    const LONG lFirstChunk = static_cast<LONG>(m_ckForm.dwDataOffset + sizeof(FOURCC));
    if (mmioSeek(m_hmmio, lFirstChunk, SEEK_SET_) == -1) return DXTRACE_ERR_NOMSGBOX(L"mmioSeek", E_FAIL);

    m_ckData.ckid = FOURCC_DATA;
    if (mmioDescend(m_hmmio, &m_ckData, &m_ckForm, MMIO_FINDCHUNK) != 0)
        return DXTRACE_ERR_NOMSGBOX(L"mmioDescend", E_FAIL);
    return S_OK;
}

HRESULT CWaveFile::Read(BYTE* pBuffer, DWORD dwSizeToRead, DWORD* pdwSizeRead) {
    if (m_bFromData) {
        if (!m_pbReadPos) return DXTRACE_ERR_NOMSGBOX(L"m_pbReadPos", CO_E_NOTINITIALIZED);
        if (pdwSizeRead) *pdwSizeRead = 0;
        const DWORD dwLeft = static_cast<DWORD>((m_pbData + m_cbData) - m_pbReadPos);
        const DWORD n = std::min(dwSizeToRead, dwLeft);
        if (n > 0 && !pBuffer) return DXTRACE_ERR_NOMSGBOX(L"pBuffer", E_INVALIDARG);
        if (n > 0) std::memcpy(pBuffer, m_pbReadPos, n);
        m_pbReadPos += n;
        if (pdwSizeRead) *pdwSizeRead = n;
        return S_OK;
    }

    if (!m_hmmio) return DXTRACE_ERR_NOMSGBOX(L"m_hmmio", CO_E_NOTINITIALIZED);
    if (!pBuffer || !pdwSizeRead) return DXTRACE_ERR_NOMSGBOX(L"Read", E_INVALIDARG);
    *pdwSizeRead = 0;

    MMIOINFO mmioinfoIn{};
    if (mmioGetInfo(m_hmmio, &mmioinfoIn, 0) != 0) return DXTRACE_ERR_NOMSGBOX(L"mmioGetInfo", E_FAIL);

    const DWORD n = std::min(dwSizeToRead, m_ckData.cksize);
    m_ckData.cksize -= n;

    DWORD dwDone = 0;
    while (dwDone < n) {
        if (mmioinfoIn.pchNext == mmioinfoIn.pchEndRead) {
            if (mmioAdvance(m_hmmio, &mmioinfoIn, MMIO_READ) != 0)
                return DXTRACE_ERR_NOMSGBOX(L"mmioAdvance", E_FAIL);
            // Nothing came: the file ends inside the "data" chunk.
            if (mmioinfoIn.pchNext == mmioinfoIn.pchEndRead)
                return DXTRACE_ERR_NOMSGBOX(L"mmioinfoIn.pchNext", E_FAIL);
        }
        const DWORD dwChunk =
            std::min<DWORD>(n - dwDone, static_cast<DWORD>(mmioinfoIn.pchEndRead - mmioinfoIn.pchNext));
        std::memcpy(pBuffer + dwDone, mmioinfoIn.pchNext, dwChunk);
        mmioinfoIn.pchNext += dwChunk;
        dwDone += dwChunk;
    }

    if (mmioSetInfo(m_hmmio, &mmioinfoIn, 0) != 0) return DXTRACE_ERR_NOMSGBOX(L"mmioSetInfo", E_FAIL);
    *pdwSizeRead = n;
    return S_OK;
}

HRESULT CWaveFile::Close() {
    if (m_bFromData) return S_OK;
    if (m_hmmio) {
        mmioClose(m_hmmio, 0);
        m_hmmio = nullptr;
    }
    delete[] m_pResourceCopy;
    m_pResourceCopy = nullptr;
    return S_OK;
}

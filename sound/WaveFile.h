// CWaveFile: reads the format record and the sample bytes of one wave, from a
// WAV file (or the embedded resource of that name) or from a caller's block of
// raw PCM bytes. Part of the SoundOutput unit. Control (GUI) thread only: a reader
// belongs to one sound and is used while that sound is made.
#pragma once

#include "platform/WinTypes.h"
#include "platform/riff/Mmio.h"

constexpr DWORD WAVEFILE_READ = 1;

class CWaveFile {
public:
    WAVEFORMATEX* m_pwfx;      // owned when read from a file or resource, borrowed when memory-attached
    HMMIO m_hmmio;             // the open buffered RIFF stream, or null
    MMCKINFO m_ckData;         // "data": its size counts down the bytes not yet read
    MMCKINFO m_ckForm;         // the outer RIFF form
    DWORD m_dwDataSize;        // data size captured by Open; 0 fresh and memory-attached
    DWORD m_dwOpenMode;        // mode given to Open; 1 = read
    bool m_bFromData;          // attached to a caller's memory block
    BYTE* m_pbData;            // the caller's block (borrowed)
    BYTE* m_pbReadPos;         // read cursor in the caller's block
    DWORD m_cbData;            // size of the caller's block
    BYTE* m_pResourceCopy;     // private copy of an embedded resource; owned

    CWaveFile();
    ~CWaveFile();

    HRESULT Open(const wchar_t* strFileName, WAVEFORMATEX* pwfx, DWORD dwFlags);
    HRESULT OpenFromData(BYTE* pbData, ULONG ulDataSize, WAVEFORMATEX* pwfx, DWORD dwFlags);
    HRESULT Close();

    HRESULT Read(BYTE* pBuffer, DWORD dwSizeToRead, DWORD* pdwSizeRead);
    DWORD GetSize();
    HRESULT ResetFile();
    WAVEFORMATEX* GetFormat() { return m_pwfx; }

    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

protected:
    HRESULT ReadMMIO();
};

// The SoundOutput unit: sound managers (one per output device) and sounds held
// whole in static output buffers of the audio service.
//
// Threads: control (GUI) thread only. Ownership: a CSoundManager holds one
// reference to its device object; a CSound owns its buffer references, its
// buffer list and its CWaveFile.
#pragma once

#include "platform/WinTypes.h"
#include "platform/audio/DSound.h"
#include "sound/Trace.h"
#include "sound/WaveFile.h"

class CSound;

class CSoundManager {
public:
    IDirectSound8* m_pDevice;  // null until Initialize succeeds

    CSoundManager();
    ~CSoundManager();

    HRESULT Initialize(HWND hWnd, DWORD dwCoopLevel, LPGUID pDeviceGuid);
    HRESULT SetPrimaryFormat(WORD dwPrimaryChannels, DWORD dwPrimaryFreq, WORD dwPrimaryBitRate);
    HRESULT Create(CSound** ppSound, const wchar_t* strWaveFileName, DWORD dwCreationFlags,
                   GUID guid3DAlgorithm, DWORD dwNumBuffers);
    HRESULT CreateFromData(CSound** ppSound, BYTE* pbData, ULONG ulDataSize, WAVEFORMATEX* pwfx,
                           DWORD dwCreationFlags, GUID guid3DAlgorithm, DWORD dwNumBuffers);

    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;
};

class CSound {
public:
    LPDIRECTSOUNDBUFFER* m_apBuffers;
    DWORD m_dwBufferBytes;
    DWORD m_dwBufferCount;
    CWaveFile* m_pWave;
    DWORD m_dwCreationFlags;

    CSound(LPDIRECTSOUNDBUFFER* apDSBuffer, DWORD dwDSBufferSize, DWORD dwNumBuffers, CWaveFile* pWaveFile,
           DWORD dwCreationFlags);
    virtual ~CSound();

    LPDIRECTSOUNDBUFFER GetBuffer(DWORD dwIndex);
    HRESULT Stop();
    HRESULT Reset();
    HRESULT FillBufferWithSound(LPDIRECTSOUNDBUFFER pDSB, bool bRepeatWavIfBufferLarger);
    HRESULT RestoreBuffer(LPDIRECTSOUNDBUFFER pDSB, bool* pbWasRestored);

    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;
};

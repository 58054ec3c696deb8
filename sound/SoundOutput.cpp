// The SoundOutput unit: sound managers and sounds over the audio service.
#include "sound/SoundOutput.h"

#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "platform/report/Report.h"

namespace {

// The restore loop waits 10 ms between attempts and gives up after this many,
// about 300 ms, so a buffer that stays lost cannot hang the user interface.
constexpr int RESTORE_MAX_WAITS = 30;

// Releases the first `n` entries of a temporary buffer list and frees it.
void ReleaseBuffers(LPDIRECTSOUNDBUFFER* apBuffers, DWORD n) {
    for (DWORD i = 0; i < n; ++i)
        if (apBuffers[i]) apBuffers[i]->Release();
    delete[] apBuffers;
}

DSBUFFERDESC Describe(DWORD dwFlags, DWORD dwBytes, WAVEFORMATEX* pwfx, GUID guid3DAlgorithm) {
    DSBUFFERDESC dsbd{};
    dsbd.dwSize = 36;
    dsbd.dwFlags = dwFlags;
    dsbd.dwBufferBytes = dwBytes;
    dsbd.dwReserved = 0;
    dsbd.lpwfxFormat = pwfx;
    dsbd.guid3DAlgorithm = guid3DAlgorithm;
    return dsbd;
}

// Makes buffers 1 to count-1 from buffer 0: duplicates sharing its samples, or,
// with DSBCAPS_CTRLFX, separate buffers of the same description.
HRESULT MakeFurtherBuffers(IDirectSound8* pDevice, LPDIRECTSOUNDBUFFER* apBuffers, DWORD dwCount,
                           const DSBUFFERDESC& dsbd) {
    for (DWORD i = 1; i < dwCount; ++i) {
        HRESULT hr = (dsbd.dwFlags & DSBCAPS_CTRLFX) ? pDevice->CreateSoundBuffer(&dsbd, &apBuffers[i], nullptr)
                                                      : pDevice->DuplicateSoundBuffer(apBuffers[0], &apBuffers[i]);
        if (FAILED(hr)) return DXTRACE_ERR(L"CreateSoundBuffer / DuplicateSoundBuffer", hr);
    }
    return S_OK;
}

// The temporary buffer list and the reader a new sound is made of; on failure
// neither is left behind.
HRESULT NewParts(DWORD dwNumBuffers, LPDIRECTSOUNDBUFFER*& apDSBuffer, CWaveFile*& pWaveFile) {
    apDSBuffer = new (std::nothrow) LPDIRECTSOUNDBUFFER[dwNumBuffers]();
    if (!apDSBuffer) return DXTRACE_ERR(L"new", E_OUTOFMEMORY);
    pWaveFile = new (std::nothrow) CWaveFile();
    if (!pWaveFile) {
        ReleaseBuffers(apDSBuffer, 0);
        apDSBuffer = nullptr;
        return DXTRACE_ERR(L"new", E_OUTOFMEMORY);
    }
    return S_OK;
}

// No memory for the sound record itself: undo what was made for it.
HRESULT NoSound(LPDIRECTSOUNDBUFFER* apBuffers, DWORD dwCount, CWaveFile* pWaveFile) {
    delete pWaveFile;
    ReleaseBuffers(apBuffers, dwCount);
    return DXTRACE_ERR(L"new", E_OUTOFMEMORY);
}

}  // namespace

HRESULT DXTraceW(const char*, DWORD, HRESULT hr, const wchar_t*, BOOL) { return hr; }

// ---- CSoundManager ------------------------------------------------------------

CSoundManager::CSoundManager() : m_pDevice(nullptr) {}

CSoundManager::~CSoundManager() {
    if (m_pDevice) m_pDevice->Release();
}

HRESULT CSoundManager::Initialize(HWND hWnd, DWORD dwCoopLevel, LPGUID pDeviceGuid) {
    HRESULT hr = DirectSoundCreate8(pDeviceGuid, &m_pDevice, nullptr);
    if (FAILED(hr)) return DXTRACE_ERR(L"DirectSoundCreate8", hr);
    hr = m_pDevice->SetCooperativeLevel(hWnd, dwCoopLevel);
    if (FAILED(hr)) return DXTRACE_ERR(L"SetCooperativeLevel", hr);
    return S_OK;
}

HRESULT CSoundManager::SetPrimaryFormat(WORD dwPrimaryChannels, DWORD dwPrimaryFreq, WORD dwPrimaryBitRate) {
    if (!m_pDevice) return CO_E_NOTINITIALIZED;
    DSBUFFERDESC dsbd = Describe(DSBCAPS_PRIMARYBUFFER, 0, nullptr, GUID_NULL);
    LPDIRECTSOUNDBUFFER pDSBPrimary = nullptr;
    HRESULT hr = m_pDevice->CreateSoundBuffer(&dsbd, &pDSBPrimary, nullptr);
    if (FAILED(hr)) return DXTRACE_ERR(L"CreateSoundBuffer", hr);

    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = dwPrimaryChannels;
    wfx.nSamplesPerSec = dwPrimaryFreq;
    wfx.wBitsPerSample = dwPrimaryBitRate;
    wfx.nBlockAlign = static_cast<WORD>((wfx.wBitsPerSample / 8) * wfx.nChannels);
    wfx.nAvgBytesPerSec = wfx.nSamplesPerSec * wfx.nBlockAlign;
    wfx.cbSize = 0;
    hr = pDSBPrimary->SetFormat(&wfx);
    pDSBPrimary->Release();
    if (FAILED(hr)) return DXTRACE_ERR(L"SetFormat", hr);
    return S_OK;
}

HRESULT CSoundManager::Create(CSound** ppSound, const wchar_t* strWaveFileName, DWORD dwCreationFlags,
                              GUID guid3DAlgorithm, DWORD dwNumBuffers) {
    if (!m_pDevice) return CO_E_NOTINITIALIZED;
    if (!strWaveFileName || !ppSound || dwNumBuffers < 1) return E_INVALIDARG;

    LPDIRECTSOUNDBUFFER* apDSBuffer = nullptr;
    CWaveFile* pWaveFile = nullptr;
    if (FAILED(NewParts(dwNumBuffers, apDSBuffer, pWaveFile))) return E_OUTOFMEMORY;
    pWaveFile->Open(strWaveFileName, nullptr, WAVEFILE_READ);
    if (pWaveFile->GetSize() == 0) {
        delete pWaveFile;
        ReleaseBuffers(apDSBuffer, 0);
        return DXTRACE_ERR_NOMSGBOX(L"m_pWaveFile->GetSize()", E_FAIL);
    }

    const DWORD dwDSBufferSize = pWaveFile->GetSize();
    DSBUFFERDESC dsbd = Describe(dwCreationFlags, dwDSBufferSize, pWaveFile->m_pwfx, guid3DAlgorithm);
    HRESULT hrRet = S_OK;
    HRESULT hr = m_pDevice->CreateSoundBuffer(&dsbd, &apDSBuffer[0], nullptr);
    if (hr == DS_NO_VIRTUALIZATION) hrRet = DS_NO_VIRTUALIZATION;
    if (FAILED(hr)) {
        // The one failure of the layer the user is told about.
        MessageBeep();
        ShowMessage("Error in: CSoundManager::Create", "Sondarium", MsgIcon::Error);
        delete pWaveFile;
        ReleaseBuffers(apDSBuffer, dwNumBuffers);
        return DXTRACE_ERR(L"CreateSoundBuffer", hr);
    }
    hr = MakeFurtherBuffers(m_pDevice, apDSBuffer, dwNumBuffers, dsbd);
    if (FAILED(hr)) {
        delete pWaveFile;
        ReleaseBuffers(apDSBuffer, dwNumBuffers);
        return hr;
    }

    auto* pSound = new (std::nothrow) CSound(apDSBuffer, dwDSBufferSize, dwNumBuffers, pWaveFile, dwCreationFlags);
    if (!pSound) return NoSound(apDSBuffer, dwNumBuffers, pWaveFile);
    delete[] apDSBuffer;  // the sound holds the references now
    *ppSound = pSound;
    return hrRet;
}

HRESULT CSoundManager::CreateFromData(CSound** ppSound, BYTE* pbData, ULONG ulDataSize, WAVEFORMATEX* pwfx,
                                      DWORD dwCreationFlags, GUID guid3DAlgorithm, DWORD dwNumBuffers) {
    if (!m_pDevice) return CO_E_NOTINITIALIZED;
    if (!pbData || !ppSound || dwNumBuffers < 1) return E_INVALIDARG;

    LPDIRECTSOUNDBUFFER* apDSBuffer = nullptr;
    CWaveFile* pWaveFile = nullptr;
    if (FAILED(NewParts(dwNumBuffers, apDSBuffer, pWaveFile))) return E_OUTOFMEMORY;
    pWaveFile->OpenFromData(pbData, ulDataSize, pwfx, WAVEFILE_READ);

    DSBUFFERDESC dsbd = Describe(dwCreationFlags, ulDataSize, pwfx, guid3DAlgorithm);
    HRESULT hr = m_pDevice->CreateSoundBuffer(&dsbd, &apDSBuffer[0], nullptr);
    if (SUCCEEDED(hr)) hr = MakeFurtherBuffers(m_pDevice, apDSBuffer, dwNumBuffers, dsbd);
    if (FAILED(hr)) {
        delete pWaveFile;
        ReleaseBuffers(apDSBuffer, dwNumBuffers);
        return DXTRACE_ERR(L"CreateSoundBuffer", hr);
    }

    auto* pSound = new (std::nothrow) CSound(apDSBuffer, ulDataSize, dwNumBuffers, pWaveFile, dwCreationFlags);
    if (!pSound) return NoSound(apDSBuffer, dwNumBuffers, pWaveFile);
    delete[] apDSBuffer;
    *ppSound = pSound;
    return S_OK;
}

// ---- CSound -----------------------------------------------------------------

CSound::CSound(LPDIRECTSOUNDBUFFER* apDSBuffer, DWORD dwDSBufferSize, DWORD dwNumBuffers, CWaveFile* pWaveFile,
               DWORD dwCreationFlags)
    : m_apBuffers(nullptr), m_dwBufferBytes(dwDSBufferSize), m_dwBufferCount(dwNumBuffers), m_pWave(pWaveFile),
      m_dwCreationFlags(dwCreationFlags) {
    if (!apDSBuffer || dwNumBuffers == 0) return;  // a sound without buffers answers CO_E_NOTINITIALIZED
    m_apBuffers = new (std::nothrow) LPDIRECTSOUNDBUFFER[dwNumBuffers]();
    if (!m_apBuffers) {
        // Without a list the sound cannot hold its buffers: it lets them go and
        // answers CO_E_NOTINITIALIZED from then on.
        for (DWORD i = 0; i < dwNumBuffers; ++i)
            if (apDSBuffer[i]) apDSBuffer[i]->Release();
        return;
    }
    for (DWORD i = 0; i < dwNumBuffers; ++i) m_apBuffers[i] = apDSBuffer[i];
    FillBufferWithSound(m_apBuffers[0], false);
}

CSound::~CSound() {
    if (m_apBuffers) {
        for (DWORD i = 0; i < m_dwBufferCount; ++i)
            if (m_apBuffers[i]) m_apBuffers[i]->Release();
        delete[] m_apBuffers;
    }
    delete m_pWave;
}

LPDIRECTSOUNDBUFFER CSound::GetBuffer(DWORD dwIndex) {
    if (!m_apBuffers || dwIndex >= m_dwBufferCount) return nullptr;
    return m_apBuffers[dwIndex];
}

HRESULT CSound::Stop() {
    if (!m_apBuffers) return CO_E_NOTINITIALIZED;
    HRESULT hr = 0;
    for (DWORD i = 0; i < m_dwBufferCount; ++i) if (m_apBuffers[i]) hr |= m_apBuffers[i]->Stop();
    return hr;
}

HRESULT CSound::Reset() {
    if (!m_apBuffers) return CO_E_NOTINITIALIZED;
    HRESULT hr = 0;
    for (DWORD i = 0; i < m_dwBufferCount; ++i) if (m_apBuffers[i]) hr |= m_apBuffers[i]->SetCurrentPosition(0);
    return hr;
}

namespace {
// The byte that sounds as silence in the buffer: 8-bit samples are unsigned.
// The buffer's own format is asked first, since a memory-attached reader's
// record belongs to a caller who may have let it go.
BYTE SilenceOf(LPDIRECTSOUNDBUFFER pDSB, const CWaveFile* pWave) {
    WAVEFORMATEX wfx{};
    WORD bits = 0;
    if (SUCCEEDED(pDSB->GetFormat(&wfx, sizeof wfx, nullptr))) bits = wfx.wBitsPerSample;
    else if (pWave && pWave->m_pwfx) bits = pWave->m_pwfx->wBitsPerSample;
    return bits == 8 ? 0x80 : 0;
}
}  // namespace

HRESULT CSound::FillBufferWithSound(LPDIRECTSOUNDBUFFER pDSB, bool bRepeatWavIfBufferLarger) {
    if (!pDSB) return CO_E_NOTINITIALIZED;
    HRESULT hr = RestoreBuffer(pDSB, nullptr);
    if (FAILED(hr)) return DXTRACE_ERR(L"RestoreBuffer", hr);

    void* pDSLockedBuffer = nullptr;
    DWORD dwDSLockedBufferSize = 0;
    hr = pDSB->Lock(0, m_dwBufferBytes, &pDSLockedBuffer, &dwDSLockedBufferSize, nullptr, nullptr, 0);
    if (FAILED(hr)) return DXTRACE_ERR(L"Lock", hr);
    BYTE* pbLocked = static_cast<BYTE*>(pDSLockedBuffer);

    m_pWave->ResetFile();
    DWORD dwWavDataRead = 0;
    hr = m_pWave->Read(pbLocked, dwDSLockedBufferSize, &dwWavDataRead);
    if (FAILED(hr)) {
        pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
        return DXTRACE_ERR(L"Read", hr);
    }
    const BYTE silence = SilenceOf(pDSB, m_pWave);
    if (dwWavDataRead == 0) {
        std::memset(pbLocked, silence, dwDSLockedBufferSize);
    } else if (dwWavDataRead < dwDSLockedBufferSize) {
        if (bRepeatWavIfBufferLarger) {
            DWORD dwReadSoFar = dwWavDataRead;
            while (dwReadSoFar < dwDSLockedBufferSize) {
                hr = m_pWave->ResetFile();
                if (SUCCEEDED(hr))
                    hr = m_pWave->Read(pbLocked + dwReadSoFar, dwDSLockedBufferSize - dwReadSoFar, &dwWavDataRead);
                // A wave that yields nothing after a rewind would never fill the rest.
                if (SUCCEEDED(hr) && dwWavDataRead == 0) hr = E_FAIL;
                if (FAILED(hr)) {
                    pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
                    return DXTRACE_ERR(L"ResetFile / Read", hr);
                }
                dwReadSoFar += dwWavDataRead;
            }
        } else {
            std::memset(pbLocked + dwWavDataRead, silence, dwDSLockedBufferSize - dwWavDataRead);
        }
    }
    pDSB->Unlock(pDSLockedBuffer, dwDSLockedBufferSize, nullptr, 0);
    return S_OK;
}

HRESULT CSound::RestoreBuffer(LPDIRECTSOUNDBUFFER pDSB, bool* pbWasRestored) {
    if (!pDSB) return CO_E_NOTINITIALIZED;
    if (pbWasRestored) *pbWasRestored = false;

    DWORD dwStatus = 0;
    HRESULT hr = pDSB->GetStatus(&dwStatus);
    if (FAILED(hr)) return DXTRACE_ERR(L"GetStatus", hr);
    if (!(dwStatus & DSBSTATUS_BUFFERLOST)) return S_FALSE;

    hr = pDSB->Restore();
    for (int nWaits = 0; hr == DSERR_BUFFERLOST; ++nWaits) {
        if (nWaits == RESTORE_MAX_WAITS) return DXTRACE_ERR(L"Restore", DSERR_BUFFERLOST);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        hr = pDSB->Restore();
    }
    // Any other failure leaves the buffer unusable too; it is not reported as a restore.
    if (FAILED(hr)) return DXTRACE_ERR(L"Restore", hr);
    if (pbWasRestored) *pbWasRestored = true;
    return S_OK;
}

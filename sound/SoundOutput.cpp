#include "sound/SoundOutput.h"

HRESULT DXTraceW(const char*, DWORD, HRESULT hr, const wchar_t*, BOOL) { return hr; }

CSoundManager::CSoundManager() : m_pDevice(nullptr) {}
CSoundManager::~CSoundManager() {
    if (m_pDevice) m_pDevice->Release();
}
HRESULT CSoundManager::Initialize(HWND, DWORD, LPGUID) { return E_FAIL; }
HRESULT CSoundManager::SetPrimaryFormat(WORD, DWORD, WORD) { return CO_E_NOTINITIALIZED; }
HRESULT CSoundManager::Create(CSound**, const wchar_t*, DWORD, GUID, DWORD) { return CO_E_NOTINITIALIZED; }
HRESULT CSoundManager::CreateFromData(CSound**, BYTE*, ULONG, WAVEFORMATEX*, DWORD, GUID, DWORD) {
    return CO_E_NOTINITIALIZED;
}

CSound::CSound(LPDIRECTSOUNDBUFFER*, DWORD, DWORD, CWaveFile* pWaveFile, DWORD dwCreationFlags)
    : m_apBuffers(nullptr), m_dwBufferBytes(0), m_dwBufferCount(0), m_pWave(pWaveFile),
      m_dwCreationFlags(dwCreationFlags) {}
CSound::~CSound() { delete m_pWave; }
LPDIRECTSOUNDBUFFER CSound::GetBuffer(DWORD) { return nullptr; }
HRESULT CSound::Stop() { return CO_E_NOTINITIALIZED; }
HRESULT CSound::Reset() { return CO_E_NOTINITIALIZED; }
HRESULT CSound::FillBufferWithSound(LPDIRECTSOUNDBUFFER, bool) { return CO_E_NOTINITIALIZED; }
HRESULT CSound::RestoreBuffer(LPDIRECTSOUNDBUFFER, bool*) { return CO_E_NOTINITIALIZED; }

#include "sound/WaveFile.h"

CWaveFile::CWaveFile()
    : m_pwfx(nullptr), m_hmmio(nullptr), m_ckData{}, m_ckForm{}, m_dwDataSize(0), m_dwOpenMode(0),
      m_bFromData(false), m_pbData(nullptr), m_pbReadPos(nullptr), m_cbData(0), m_pResourceCopy(nullptr) {}
CWaveFile::~CWaveFile() { Close(); }
HRESULT CWaveFile::Open(const wchar_t*, WAVEFORMATEX*, DWORD) { return E_FAIL; }
HRESULT CWaveFile::OpenFromData(BYTE*, ULONG, WAVEFORMATEX*, DWORD) { return E_NOTIMPL; }
HRESULT CWaveFile::Close() { return S_OK; }
HRESULT CWaveFile::Read(BYTE*, DWORD, DWORD*) { return E_FAIL; }
DWORD CWaveFile::GetSize() { return m_dwDataSize; }
HRESULT CWaveFile::ResetFile() { return E_FAIL; }
HRESULT CWaveFile::ReadMMIO() { return E_FAIL; }

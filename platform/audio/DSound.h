// The audio output service: the subset of DirectSound 8 the program calls, with
// its names, records and status codes. Implemented by the program's own software
// mixer over a pluggable output back end (AudioBackend.h).
//
// Threads: every function and method here is called on the control (GUI) thread
// only, unless its comment says otherwise. None of them waits on a mix thread.
#pragma once

#include <string>

#include "platform/WinTypes.h"

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DS_NO_VIRTUALIZATION = MakeHr(0x0878000Au);
constexpr HRESULT DSERR_ALLOCATED = MakeHr(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = MakeHr(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_INVALIDCALL = MakeHr(0x88780032u);
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_PRIOLEVELNEEDED = MakeHr(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = MakeHr(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = MakeHr(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = MakeHr(0x88780096u);
constexpr HRESULT DSERR_UNINITIALIZED = MakeHr(0x887800AAu);
constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr DWORD DSBCAPS_STATIC = 0x2;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;
constexpr DWORD DSBCAPS_CTRLFX = 0x200;

constexpr DWORD DSBPLAY_LOOPING = 0x1;

constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x2;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;

// Largest secondary buffer the service accepts. A wave that claims more is
// refused with DSERR_INVALIDPARAM instead of being allocated.
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

// {6825A449-7524-4D82-920F-50E36AB3AB1E}
constexpr GUID IID_IDirectSoundBuffer8 = {0x6825A449, 0x7524, 0x4D82, {0x92, 0x0F, 0x50, 0xE3, 0x6A, 0xB3, 0xAB, 0x1E}};
// {279AFA85-4981-11CE-A521-0020AF0BE560}
constexpr GUID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

struct DSBUFFERDESC {
    DWORD dwSize;  // 36 in the system's layout
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    WAVEFORMATEX* lpwfxFormat;
    GUID guid3DAlgorithm;
};

struct DSBCAPS {
    DWORD dwSize;  // 20
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwUnlockTransferRate;
    DWORD dwPlayCpuOverhead;
};

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

class IDirectSoundBuffer : public IUnknown {
public:
    virtual HRESULT GetCaps(DSBCAPS* pCaps) = 0;
    virtual HRESULT GetCurrentPosition(DWORD* pdwCurrentPlayCursor, DWORD* pdwCurrentWriteCursor) = 0;
    virtual HRESULT GetFormat(WAVEFORMATEX* pwfx, DWORD dwSizeAllocated, DWORD* pdwSizeWritten) = 0;
    virtual HRESULT GetVolume(LONG* plVolume) = 0;
    virtual HRESULT GetStatus(DWORD* pdwStatus) = 0;
    virtual HRESULT Lock(DWORD dwOffset, DWORD dwBytes, void** ppvAudioPtr1, DWORD* pdwAudioBytes1,
                         void** ppvAudioPtr2, DWORD* pdwAudioBytes2, DWORD dwFlags) = 0;
    virtual HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD dwNewPosition) = 0;
    virtual HRESULT SetFormat(const WAVEFORMATEX* pcfxFormat) = 0;
    virtual HRESULT SetVolume(LONG lVolume) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(void* pvAudioPtr1, DWORD dwAudioBytes1, void* pvAudioPtr2, DWORD dwAudioBytes2) = 0;
    virtual HRESULT Restore() = 0;
};

// The buffer-8 interface adds nothing the program uses; a buffer answers it by query.
class IDirectSoundBuffer8 : public IDirectSoundBuffer {};

using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;
using LPDIRECTSOUNDBUFFER8 = IDirectSoundBuffer8*;

class IDirectSound8 : public IUnknown {
public:
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* pcDSBufferDesc, IDirectSoundBuffer** ppDSBuffer,
                                      IUnknown* pUnkOuter) = 0;
    virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* pDSBufferOriginal,
                                         IDirectSoundBuffer** ppDSBufferDuplicate) = 0;
    virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) = 0;
};

using LPDIRECTSOUND8 = IDirectSound8*;

// Called once per output, in listing order; returns TRUE to go on.
using LPDSENUMCALLBACKW = BOOL (*)(LPGUID lpGuid, const wchar_t* lpcstrDescription, const wchar_t* lpcstrModule,
                                   void* lpContext);

HRESULT DirectSoundEnumerateW(LPDSENUMCALLBACKW lpDSEnumCallback, void* lpContext);
HRESULT DirectSoundCreate8(LPCGUID lpcGuidDevice, LPDIRECTSOUND8* ppDS8, IUnknown* pUnkOuter);

// Why the last DirectSoundCreate8 on this thread failed, in words a message can
// show ("device busy: held by another program", ...); empty after a success.
const char* DirectSoundLastOpenError();
// What the device object's output runs at, for the log: "48000 Hz, S32_LE".
// Empty for a null device. Control thread.
std::string DirectSoundOutputFormat(IDirectSound8* pDevice);

// Commands issued together. Between DirectSoundBeginDeferred and
// DirectSoundCommitDeferred, Play, Stop, SetVolume and SetCurrentPosition on any
// buffer of any device object are held back; the commit hands them all over at
// once, and every stream applies the whole set at one and the same period
// boundary, so the buffers of one stream start, stop, move and change level on
// the same frame. Brackets nest; only the outermost commit hands the set over.
// Calls outside a bracket take effect at the stream's next period. Status and
// positions read as commanded at once, inside a bracket too. Control thread only.
//
// No command clicks: a Play starts from silence and ramps to the buffer's
// volume; a Stop of a playing buffer fades it out over the same ramp (it reads
// stopped at once; its position goes on over the fade-out and stays where the
// sound stopped); a SetCurrentPosition of a playing buffer fades it out at the
// old place, jumps (it reads the new position at once) and fades in again.
// A silent playing buffer waits out the same fade, so buffers that are moved or
// stopped together stay aligned whatever their volumes.
void DirectSoundBeginDeferred();
void DirectSoundCommitDeferred();

// Brackets a scope's commands as one set.
class CDeferredCommands {
public:
    CDeferredCommands() { DirectSoundBeginDeferred(); }
    ~CDeferredCommands() { DirectSoundCommitDeferred(); }
    CDeferredCommands(const CDeferredCommands&) = delete;
    CDeferredCommands& operator=(const CDeferredCommands&) = delete;
};

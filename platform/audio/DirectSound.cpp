#include "platform/audio/AudioBackend.h"
#include "platform/audio/DSound.h"

namespace audio {
namespace {
std::shared_ptr<IBackend>& Slot() {
    static std::shared_ptr<IBackend> backend;
    return backend;
}
}  // namespace
void SetBackend(std::shared_ptr<IBackend> backend) { Slot() = std::move(backend); }
std::shared_ptr<IBackend> GetBackend() { return Slot(); }
}  // namespace audio

HRESULT DirectSoundEnumerateW(LPDSENUMCALLBACKW, void*) { return DSERR_NODRIVER; }
HRESULT DirectSoundCreate8(LPCGUID, LPDIRECTSOUND8* ppDS8, IUnknown*) {
    if (ppDS8) *ppDS8 = nullptr;
    return DSERR_NODRIVER;
}
const char* DirectSoundLastOpenError() { return ""; }

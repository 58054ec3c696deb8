// The service's entry points: the output list and device objects.
#include <string>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/DSound.h"
#include "platform/audio/Device.h"
#include "platform/audio/Mixer.h"

namespace {

thread_local std::string lastOpenError;

// Descriptions come as UTF-8; a malformed sequence becomes U+FFFD.
std::wstring Widen(const std::string& s) {
    std::wstring out;
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d >> 6) != 0x2) ok = false;
            else cp = cp << 6 | (d & 0x3F);
        }
        if (!ok || cp > 0x10FFFF) {
            out.push_back(L'\uFFFD');
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

HRESULT DirectSoundEnumerateW(LPDSENUMCALLBACKW lpDSEnumCallback, void* lpContext) {
    if (!lpDSEnumCallback) return DSERR_INVALIDPARAM;
    auto backend = audio::GetBackend();
    if (!backend) return DSERR_NODRIVER;
    for (const audio::OutputInfo& info : backend->Enumerate()) {
        GUID id = info.id;  // the callback may keep no pointer into the list
        const std::wstring description = Widen(info.description);
        if (!lpDSEnumCallback(info.hasId ? &id : nullptr, description.c_str(), L"", lpContext)) break;
    }
    return DS_OK;
}

HRESULT DirectSoundCreate8(LPCGUID lpcGuidDevice, LPDIRECTSOUND8* ppDS8, IUnknown* pUnkOuter) {
    if (!ppDS8 || pUnkOuter) return DSERR_INVALIDPARAM;
    *ppDS8 = nullptr;
    audio::Device* device = nullptr;
    std::string reason;
    const HRESULT hr = audio::Device::Open(lpcGuidDevice, &device, reason);
    if (FAILED(hr)) {
        lastOpenError = reason.empty() ? "the output could not be opened" : reason;
        return hr;
    }
    lastOpenError.clear();
    *ppDS8 = device;
    return DS_OK;
}

const char* DirectSoundLastOpenError() { return lastOpenError.c_str(); }

std::string DirectSoundOutputFormat(IDirectSound8* pDevice) {
    auto* device = dynamic_cast<audio::Device*>(pDevice);
    return device ? device->OutputFormat() : std::string();
}

void DirectSoundBeginDeferred() { audio::BeginCommands(); }
void DirectSoundCommitDeferred() { audio::CommitCommands(); }

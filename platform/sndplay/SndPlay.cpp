#include "platform/sndplay/SndPlay.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/audio/DSound.h"
#include "platform/sndplay/WavImage.h"

namespace {

// The player's one device and the one buffer it plays. The device is opened
// on the first sound and kept while sounds come; a null sound releases both,
// so the default device is free for others once the program is done with it.
struct Player {
    IDirectSound8* device = nullptr;
    IDirectSoundBuffer* buffer = nullptr;
    WAVEFORMATEX primary{};  // the format last set on the primary buffer

    void StopSound() {
        if (!buffer) return;
        buffer->Stop();
        buffer->Release();
        buffer = nullptr;
    }

    void Close() {
        StopSound();
        if (device) device->Release();
        device = nullptr;
        primary = WAVEFORMATEX{};
    }

    bool Open() {
        if (device) return true;
        if (FAILED(DirectSoundCreate8(nullptr, &device, nullptr))) {
            device = nullptr;
            return false;
        }
        if (FAILED(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY))) {
            Close();
            return false;
        }
        return true;
    }

    // The output follows the sound's rate and channels so that it plays
    // unconverted; if the device will not, the mixer converts.
    void FollowFormat(const WAVEFORMATEX& wfx) {
        if (std::memcmp(&primary, &wfx, sizeof wfx) == 0) return;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
        IDirectSoundBuffer* p = nullptr;
        if (FAILED(device->CreateSoundBuffer(&desc, &p, nullptr)) || !p) return;
        WAVEFORMATEX plain = wfx;
        plain.cbSize = 0;
        if (SUCCEEDED(p->SetFormat(&plain))) primary = wfx;
        p->Release();
    }

    // A secondary buffer holding the whole sound, padded with silence to the
    // service's smallest buffer.
    IDirectSoundBuffer* Load(const sndplay::WavImage& img) {
        const WAVEFORMATEX* wfx = img.Format();
        DWORD bytes = img.bytes;
        while (bytes < DSBSIZE_MIN) bytes += wfx->nBlockAlign;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_STATIC;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(wfx);
        IDirectSoundBuffer* b = nullptr;
        if (FAILED(device->CreateSoundBuffer(&desc, &b, nullptr)) || !b) return nullptr;
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        if (FAILED(b->Lock(0, bytes, &p1, &n1, &p2, &n2, 0)) || !p1 || n1 < bytes) {
            if (p1) b->Unlock(p1, n1, p2, n2);
            b->Release();
            return nullptr;
        }
        std::memcpy(p1, img.data, img.bytes);
        const bool unsigned8 = wfx->wFormatTag == WAVE_FORMAT_PCM && wfx->wBitsPerSample == 8;
        std::memset(static_cast<BYTE*>(p1) + img.bytes, unsigned8 ? 0x80 : 0, bytes - img.bytes);
        b->Unlock(p1, n1, p2, n2);
        return b;
    }

    bool Play(const sndplay::WavImage& img) {
        FollowFormat(*img.Format());
        buffer = Load(img);
        if (!buffer) return false;
        if (FAILED(buffer->Play(0, 0, 0))) {
            StopSound();
            return false;
        }
        return true;
    }

    void WaitUntilDone(const sndplay::WavImage& img) {
        const WAVEFORMATEX* wfx = img.Format();
        const auto length = std::chrono::milliseconds(1000ull * img.bytes / (wfx->nAvgBytesPerSec ? wfx->nAvgBytesPerSec : 1));
        const auto until = std::chrono::steady_clock::now() + length + std::chrono::seconds(2);
        DWORD status = DSBSTATUS_PLAYING;
        while (buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
};

Player& ThePlayer() {
    static Player player;
    return player;
}

}  // namespace

BOOL sndPlaySoundW(const void* pszSound, UINT fuSound) {
    Player& player = ThePlayer();
    if (!pszSound) {
        player.Close();
        return TRUE;
    }
    player.StopSound();  // a new sound cuts off the old one, playable or not
    if (!(fuSound & SND_MEMORY)) return FALSE;
    sndplay::WavImage img;
    if (!sndplay::ParseWavImage(pszSound, img)) return FALSE;
    if (!player.Open()) return FALSE;
    if (!player.Play(img)) {
        // The device may have failed since it was opened: once more on a fresh one.
        player.Close();
        if (!player.Open() || !player.Play(img)) return FALSE;
    }
    if (!(fuSound & SND_ASYNC)) player.WaitUntilDone(img);
    return TRUE;
}

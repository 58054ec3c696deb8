#include "playback/PlaybackFormats.h"

#include <algorithm>

#include "platform/audio/DSound.h"
#include "sound/SoundOutput.h"

namespace {

// The rate the device's mix runs at (its primary buffer's), 0 when unknown.
DWORD OutputRate(IDirectSound8* pDevice) {
    if (!pDevice) return 0;
    DSBUFFERDESC desc{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
    LPDIRECTSOUNDBUFFER pPrimary = nullptr;
    if (FAILED(pDevice->CreateSoundBuffer(&desc, &pPrimary, nullptr)) || !pPrimary) return 0;
    WAVEFORMATEX wfx{};
    const HRESULT hr = pPrimary->GetFormat(&wfx, sizeof wfx, nullptr);
    pPrimary->Release();
    return SUCCEEDED(hr) ? wfx.nSamplesPerSec : 0;
}

DWORD SoundRate(CSound* pSnd) {
    LPDIRECTSOUNDBUFFER pBuf = pSnd ? pSnd->GetBuffer(0) : nullptr;
    WAVEFORMATEX wfx{};
    return pBuf && SUCCEEDED(pBuf->GetFormat(&wfx, sizeof wfx, nullptr)) ? wfx.nSamplesPerSec : 0;
}

IDirectSound8* DeviceOf(const TSndTrack& track) { return track.pSM ? track.pSM->m_pDevice : nullptr; }

}  // namespace

std::vector<std::string> OutputFormatLines(const TVecSndTrack& Tracks) {
    std::vector<std::string> lines, seen;
    for (const TSndTrack& track : Tracks) {
        if (std::find(seen.begin(), seen.end(), track.strDescription) != seen.end()) continue;
        seen.push_back(track.strDescription);
        const std::string strFormat = DirectSoundOutputFormat(DeviceOf(track));
        if (!strFormat.empty()) lines.push_back("Uscita \"" + track.strDescription + "\": " + strFormat);
    }
    return lines;
}

std::vector<std::string> ConversionLines(int nTest, const TVecSndTrack& Tracks,
                                         const std::vector<std::array<std::string, 2>>& Files) {
    const std::string strTest = "Test " + std::to_string(nTest) + ": ";
    std::vector<std::string> lines;
    for (std::size_t c = 0; c < Tracks.size() && c < Files.size(); ++c) {
        const DWORD dwOut = OutputRate(DeviceOf(Tracks[c]));
        for (int slot = 0; slot < 2; ++slot) {
            const DWORD dwIn = SoundRate(Tracks[c].apSound[slot]);
            if (dwIn && dwOut && dwIn != dwOut)
                lines.push_back(strTest + "\"" + Files[c][slot] + "\" convertito da " + std::to_string(dwIn) + " Hz a " +
                                std::to_string(dwOut) + " Hz");
        }
    }
    return lines;
}

#include "PlaybackRig.h"

#include <QTimer>

#include "common/WavBuilder.h"
#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "sound/SoundOutput.h"

namespace playtest {

std::int16_t ExcerptSample(int nChannel, bool bExcerptB, std::uint32_t nFrame) {
    const std::int32_t nBase = nChannel * BAND - 32768;
    const std::int32_t nStep = static_cast<std::int32_t>(nFrame % BAND);
    return static_cast<std::int16_t>(bExcerptB ? nBase + BAND - 1 - nStep : nBase + nStep);
}

PlaybackRig::PlaybackRig(std::vector<audio::OutputInfo> outputs, bool bStopTimers)
    : vb(audio::VirtualBackend::Install(std::move(outputs))) {
    form = std::make_unique<TFormMain>();
    form->FormCreate();
    // As a session does once its first test is loaded.
    form->EnableTestControls(true);
    if (bStopTimers) {
        if (form->TimerFade) form->TimerFade->stop();
        if (form->TimerPos) form->TimerPos->stop();
    }
}

PlaybackRig::~PlaybackRig() {
    if (form->TimerFade) form->TimerFade->stop();
    if (form->TimerPos) form->TimerPos->stop();
    vb->StopClock();
    form->FormClose();
    form.reset();
}

std::string PlaybackRig::WriteRaw(const std::string& strName, std::uint16_t channels, std::uint16_t bits,
                                  const std::vector<std::uint8_t>& bytes) {
    wavbuild::Format Format;
    Format.channels = channels;
    Format.bits = bits;
    const std::string strPath = dir.filePath(QString::fromStdString(strName)).toStdString();
    wavbuild::WriteFile(strPath, wavbuild::Wave(Format, bytes));
    return strPath;
}

std::string PlaybackRig::WriteWave(const std::string& strName, const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t s : samples) {
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return WriteRaw(strName, 1, 16, bytes);
}

void PlaybackRig::LoadExcerpts(int nChannels, std::uint32_t nFrames, std::uint32_t nFramesB) {
    for (int c = 0; c < nChannels; ++c) {
        for (int nSlot = 0; nSlot < 2; ++nSlot) {
            const std::uint32_t n = (nSlot == 1 && nFramesB) ? nFramesB : nFrames;
            std::vector<std::int16_t> samples(n);
            for (std::uint32_t k = 0; k < n; ++k) samples[k] = ExcerptSample(c, nSlot == 1, k);
            const std::string strPath =
                WriteWave("ch" + std::to_string(c) + (nSlot ? "_b.wav" : "_a.wav"), samples);
            form->CreateTrackSound(&Slot(c, nSlot), strPath, c);
        }
    }
}

void PlaybackRig::Tick(int n) {
    for (int i = 0; i < n; ++i) form->TimerFadeTimer();
}

void PlaybackRig::PressA() { form->SpeedButtonA->Press(); }
void PlaybackRig::PressB() { form->SpeedButtonB->Press(); }

void PlaybackRig::Advance(std::uint32_t nFrames) {
    for (std::size_t k = 0; k < form->m_Tracks.size(); ++k) vb->Render(OutputOfTrack(static_cast<int>(k)), nFrames);
}

DWORD PlaybackRig::Position(CSound* pSnd) {
    DWORD dwPlay = 0;
    DWORD dwWrite = 0;
    pSnd->GetBuffer(0)->GetCurrentPosition(&dwPlay, &dwWrite);
    return dwPlay;
}

LONG PlaybackRig::Volume(CSound* pSnd) {
    LONG lVolume = 1;
    pSnd->GetBuffer(0)->GetVolume(&lVolume);
    return lVolume;
}

bool PlaybackRig::Playing(CSound* pSnd) {
    DWORD dwStatus = 0;
    pSnd->GetBuffer(0)->GetStatus(&dwStatus);
    return (dwStatus & DSBSTATUS_PLAYING) != 0;
}

std::vector<CSound*> PlaybackRig::LoadedSounds() const {
    std::vector<CSound*> sounds;
    for (const TSndTrack& Track : form->m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (pSnd) sounds.push_back(pSnd);
        }
    }
    return sounds;
}

}  // namespace playtest

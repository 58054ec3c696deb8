#include "WindowsRig.h"

#include <QTimer>

#include <algorithm>

#include "common/WavBuilder.h"
#include "platform/audio/DSound.h"
#include "platform/resources/Resources.h"
#include "platform/sndplay/SndPlay.h"
#include "sound/SoundOutput.h"
#include "windows/TFormAmbisonicSetup.h"
#include "session/TFormSessionSettings.h"

namespace wintest {

std::int16_t ExcerptValue(int k, int c) { return static_cast<std::int16_t>(1000 * k + 100 * (c + 1)); }

WindowsRig::WindowsRig(std::vector<audio::OutputInfo> outputs)
    : vb(audio::VirtualBackend::Install(std::move(outputs))) {
    form = std::make_unique<TFormMain>();
    form->FormCreate();
    form->TimerFade->stop();
    form->TimerPos->stop();
    for (const TSndTrack& t : form->m_Tracks) m_StartManagers.push_back(t.pSM.get());
}

WindowsRig::~WindowsRig() {
    form->FormClose();
    form.reset();
    // The player keeps its device object between sounds; let it go with this
    // back end, so that the next rig's player opens on the next one.
    sndPlaySoundW(nullptr, 0);
}

TFormAmbisonicSetup& WindowsRig::Setup() { return *FormAmbisonicSetup; }

void WindowsRig::RunChannelCommand(const std::function<void(TFormAmbisonicSetup&)>& act) {
    QTimer::singleShot(0, form.get(), [act] {
        TFormAmbisonicSetup& w = *FormAmbisonicSetup;
        act(w);
        if (w.isVisible()) w.ButtonCancelClick();
    });
    form->SetupAmbisonicClick();
}

void WindowsRig::LoadSession(int nExcerpts, const std::vector<std::pair<int, int>>& tests) {
    wavbuild::Format f;
    f.channels = 1;
    form->m_pPlayList->clear();
    for (int k = 1; k <= nExcerpts; ++k) {
        for (int c = 0; c < 4; ++c) {
            wavbuild::Bytes samples;
            for (int i = 0; i < 4410; ++i) wavbuild::PutU16(samples, static_cast<std::uint16_t>(ExcerptValue(k, c)));
            const std::string strPath =
                dir.filePath(QString("e%1c%2.wav").arg(k).arg(c)).toStdString();
            wavbuild::WriteFile(strPath, wavbuild::Wave(f, samples));
            form->m_pPlayList->push_back(strPath);
        }
    }
    form->m_nChannels = 4;
    form->m_Combinations.clear();
    for (auto [a, b] : tests) {
        TTrackCombs c;
        c.nExcerptA = a;
        c.nExcerptB = b;
        form->m_Combinations.push_back(c);
    }
    form->m_nCurrentTest = 0;
}

int WindowsRig::OutputOf(const CSoundManager* pSM) const {
    auto it = std::find(m_StartManagers.begin(), m_StartManagers.end(), pSM);
    return it == m_StartManagers.end() ? -1 : static_cast<int>(it - m_StartManagers.begin()) + 1;
}

std::vector<CSoundManager*> WindowsRig::Managers() const {
    std::vector<CSoundManager*> v;
    for (const TSndTrack& t : form->m_Tracks) v.push_back(t.pSM.get());
    return v;
}

std::vector<std::int16_t> WindowsRig::TestSoundSamples() {
    HRSRC h = FindResourceW(nullptr, L"TEST_WAV", RT_RCDATA);
    const auto* p = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, h)));
    const DWORD n = SizeofResource(nullptr, h);
    std::vector<std::int16_t> v(n / 2);
    for (DWORD i = 0; i < n / 2; ++i) v[i] = static_cast<std::int16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    return v;
}

DWORD WindowsRig::Position(CSound* pSnd) {
    DWORD dwPlay = 0;
    DWORD dwWrite = 0;
    pSnd->GetBuffer(0)->GetCurrentPosition(&dwPlay, &dwWrite);
    return dwPlay;
}

bool WindowsRig::Playing(CSound* pSnd) {
    DWORD dwStatus = 0;
    pSnd->GetBuffer(0)->GetStatus(&dwStatus);
    return (dwStatus & DSBSTATUS_PLAYING) != 0;
}

void WindowsRig::PlayLoud(CSound* pSnd) {
    pSnd->GetBuffer(0)->SetVolume(0);
    pSnd->GetBuffer(0)->Play(0, 0, DSBPLAY_LOOPING);
}

}  // namespace wintest

// A main window over the virtual audio back end, with WAV files of a test in a
// temporary folder, for the playback tests. Messages are recorded, not shown;
// the form's timers are stopped so that the tests tick the fade themselves
// (except where a test runs them on purpose).
#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/TFormMain.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/ui/Messages.h"

class CSound;

namespace playtest {

// Sample k of a mono 16-bit file: the files of channel c lie in a band of
// their own, A rising and B falling by one step per frame, so that any heard
// sample tells the channel, the excerpt and the frame it came from.
constexpr std::int32_t BAND = 16384;
std::int16_t ExcerptSample(int nChannel, bool bExcerptB, std::uint32_t nFrame);

class PlaybackRig {
public:
    explicit PlaybackRig(std::vector<audio::OutputInfo> outputs = audio::VirtualBackend::UA101Outputs(),
                         bool bStopTimers = true);
    ~PlaybackRig();

    std::shared_ptr<audio::VirtualBackend> vb;
    MessageObserver observer;
    QTemporaryDir dir;
    std::unique_ptr<TFormMain> form;

    // Writes a mono 16-bit 44100 Hz file and returns its path.
    std::string WriteWave(const std::string& strName, const std::vector<std::int16_t>& samples);
    // Writes a file of raw sample bytes in the given format and returns its path.
    std::string WriteRaw(const std::string& strName, std::uint16_t channels, std::uint16_t bits,
                         const std::vector<std::uint8_t>& bytes);
    // Channel c's A and B files of nFrames (B of nFramesB when given), loaded
    // onto track c for c < nChannels.
    void LoadExcerpts(int nChannels, std::uint32_t nFrames, std::uint32_t nFramesB = 0);
    CSound*& Slot(int nTrack, int nSlot) { return form->m_Tracks[nTrack].apSound[nSlot]; }

    void Tick(int n = 1);
    void PressA();
    void PressB();
    // Renders n frames on every output the tracks use, in track order.
    void Advance(std::uint32_t nFrames);
    // The output (index into the virtual back end's list) track k plays on.
    int OutputOfTrack(int nTrack) const { return nTrack + 1; }

    // Of a sound's buffer 0.
    static DWORD Position(CSound* pSnd);
    static LONG Volume(CSound* pSnd);
    static bool Playing(CSound* pSnd);
    std::vector<CSound*> LoadedSounds() const;
};

}  // namespace playtest

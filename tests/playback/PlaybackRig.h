// The track set over the virtual audio back end, with WAV files of a test in a
// temporary folder, for the playback tests. Messages are recorded, not shown.
// Most tests drive the track set alone; those that look at what only the main
// window shows (the position bar and label, its buttons, its timers) ask for
// the window, whose track set the rig then drives. The window's timers are
// stopped unless asked to run, so the tests tick the fade themselves.
#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/TFormMain.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/ui/Messages.h"
#include "playback/TrackSet.h"

class CSound;

namespace playtest {

// Sample k of a mono 16-bit file: the files of channel c lie in a band of
// their own, A rising and B falling by one step per frame, so that any heard
// sample tells the channel, the excerpt and the frame it came from.
constexpr std::int32_t BAND = 16384;
std::int16_t ExcerptSample(int nChannel, bool bExcerptB, std::uint32_t nFrame);

enum class Rig { Core, Window, WindowWithTimers };

class PlaybackRig {
public:
    explicit PlaybackRig(std::vector<audio::OutputInfo> outputs = audio::VirtualBackend::UA101Outputs(),
                         Rig kind = Rig::Core);
    explicit PlaybackRig(Rig kind) : PlaybackRig(audio::VirtualBackend::UA101Outputs(), kind) {}
    ~PlaybackRig();

    std::shared_ptr<audio::VirtualBackend> vb;
    MessageObserver observer;
    QTemporaryDir dir;
    std::unique_ptr<TFormMain> form;  // only for Rig::Window...

private:
    std::unique_ptr<TTrackSet> m_pOwnSet;  // without a window

public:
    TTrackSet& set;  // the window's, or the rig's own

    // Writes a mono 16-bit 44100 Hz file and returns its path.
    std::string WriteWave(const std::string& strName, const std::vector<std::int16_t>& samples);
    // Writes a file of raw sample bytes in the given format and returns its path.
    std::string WriteRaw(const std::string& strName, std::uint16_t channels, std::uint16_t bits,
                         const std::vector<std::uint8_t>& bytes);
    // Channel c's A and B files of nFrames (B of nFramesB when given), loaded
    // onto track c for c < nChannels.
    void LoadExcerpts(int nChannels, std::uint32_t nFrames, std::uint32_t nFramesB = 0);
    CSound*& Slot(int nTrack, int nSlot) { return set.m_Tracks[nTrack].apSound[nSlot]; }

    void Tick(int n = 1);
    // A press of A or B: the window's button, or, on the track set alone, the
    // press as the two-button group gives it (down raises, up lowers and
    // raises the other).
    void PressA();
    void PressB();
    void Answer();  // an answer chosen: both excerpts fade out
    void Rewind();
    // Renders n frames on every output the tracks use, in track order.
    void Advance(std::uint32_t nFrames);
    // The output (index into the virtual back end's list) track k plays on.
    int OutputOfTrack(int nTrack) const { return nTrack + 1; }

    // Of a sound's buffer 0.
    static DWORD Position(CSound* pSnd);
    static LONG Volume(CSound* pSnd);
    static bool Playing(CSound* pSnd);
    std::vector<CSound*> LoadedSounds() const;

private:
    void Press(bool bA);
    bool m_abDown[2] = {false, false};
};

}  // namespace playtest

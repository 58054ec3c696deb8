// A playback track: one output device of the interface with its sound manager
// and the two sound slots of the test on show. Copied by value: copies share the
// manager (its shared owner; the device goes when the last copy lets it go) and
// see the same sounds. The slots own nothing: each sound has one owner, the
// track set that loaded it (TTrackSet) or the channel setup window that made it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class CSoundManager;
class CSound;

constexpr int MAXTRACKS = 4;

struct TSndTrack {
    std::shared_ptr<CSoundManager> pSM;
    std::string strDescription;            // the device's description
    CSound* apSound[2] = {nullptr, nullptr};  // 0: excerpt A, 1: excerpt B
};
using TVecSndTrack = std::vector<TSndTrack>;

// One listed output device: a separately allocated copy of its id (null for the
// default output), kept for the whole run, and its description.
struct TSndGuid {
    GUID* pGuid = nullptr;
    std::string strDescription;
};
using TVecSndGuid = std::vector<TSndGuid>;

// The playback and crossfade state.
enum TPlayState : unsigned char {
    psIdle = 0,
    psFadeOut = 1,
    psPlaying = 2,
    psFadeToA = 3,
    psFadeToB = 4,
};

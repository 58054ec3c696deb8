// The output list: which outputs exist, in which order, under which
// description and id, and which ALSA device each one plays on.
#pragma once

#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"

namespace audio::alsa {

struct HintedPcm {
    std::string name;
    std::string description;
};

struct OutputEntry {
    enum class Kind { Default, CardPair, Device };
    OutputInfo info;
    Kind kind = Kind::Device;
    std::string pcm;            // the ALSA device it plays on
    unsigned pair = 0;          // CardPair: 0 for channels 1-2, 1 for 3-4 ...
    unsigned cardChannels = 0;  // CardPair: the shared stream's channel count
};

// Playback PCMs the ALSA configuration describes, in its order. "default" is
// left out (the list starts with it anyway) and so is "null", which plays
// nothing; so are capture-only ones. Line breaks in descriptions become blanks.
// A list is read again only when the configuration or the cards have changed
// since the last one.
std::vector<HintedPcm> ListHintedPcms();

// The default output, then every channel pair of the cards with more than two
// channels, then the hinted devices.
std::vector<OutputEntry> BuildOutputs(const std::vector<AlsaCard>& cards, const std::vector<HintedPcm>& hints);

// Whether the ALSA device `pcm` plays on `card` (an id or a number), as
// "hw:CARD=UA101,DEV=0", "front:CARD=UA101" or "plughw:1,0" do.
bool NamesCard(const std::string& pcm, const std::string& card);

// 16 bytes of a fixed 128-bit hash (FNV-1a) of `key`: the same on every run.
GUID StableId(const std::string& key);

}  // namespace audio::alsa

// The outputs of a JACK server, listed and opened beside ALSA's.
//
// The program's back end (MakeAlsaBackend, AlsaBackend.h) asks for a JACK
// server once, when it is made. When one answers, the output list is: the
// default output, then one output per channel pair of every JACK device,
// "OUT 1-2 (u:NAME)", "OUT 3-4 (u:NAME)" ..., u counting the devices of one
// NAME from 1, then ALSA's outputs without the cards the server holds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/jack/JackClient.h"

namespace audio::jack {

// One JACK output: a channel pair of a device.
struct JackEntry {
    OutputInfo info;
    std::string left, right;  // the physical ports it plays on
    std::string label;        // names the client's ports that feed them
};

// The pairs of `devices`, in order; an odd last port is left out.
std::vector<JackEntry> BuildEntries(const std::vector<JackDevice>& devices);

// The cards the server plays on, by id and by number (AlsaHeldCards).
std::vector<std::string> HeldCards(const std::vector<JackDevice>& devices);

// JACK's outputs first (after ALSA's default), ALSA's after them. `client`
// may be null: ALSA's outputs alone.
std::shared_ptr<IBackend> MakeServerBackend(std::shared_ptr<JackClient> client, std::shared_ptr<IBackend> alsa);

}  // namespace audio::jack

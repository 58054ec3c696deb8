// The ALSA back end of the audio service: lists the outputs (the default device,
// one output per channel pair of every multichannel card, every hinted playback
// PCM) and opens them as streams that pull from the device objects' mixers on a
// thread per ALSA device.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"

namespace audio {

// One sound card as the output list sees it.
struct AlsaCard {
    int index = 0;            // ALSA card number (listing order)
    std::string shortName;    // "UA-101": names the outputs
    unsigned channels = 0;    // playback channels of its first playback device
    std::string pcm;          // the ALSA name its shared stream opens
    std::string id = {};      // ALSA's id of the card, "UA101"
};

// The cards the output list splits into channel pairs; the program uses the
// machine's cards, tests describe their own.
using AlsaCardLister = std::function<std::vector<AlsaCard>()>;

// The machine's cards: every card whose first playback device could be asked
// for its channel count, opened through the plug layer on that device.
std::vector<AlsaCard> ListAlsaCards();
// Every card as its control describes it (number, id, short name; no device
// is opened, so a card a sound server holds is listed too).
std::vector<AlsaCard> ListCardNames();

// The cards a sound server holds, by ALSA id or number ("UA101", "1"): ALSA
// lists none of their outputs, since the server plays on them.
using AlsaHeldCards = std::function<std::vector<std::string>()>;

// The program's outputs: where a JACK server answers when this is made, the
// default output, JACK's outputs, then ALSA's without the cards the server
// holds (JackBackend.h); ALSA's alone otherwise.
std::shared_ptr<IBackend> MakeAlsaBackend();
// ALSA's outputs alone, over the given cards.
std::shared_ptr<IBackend> MakeAlsaBackend(AlsaCardLister cards, AlsaHeldCards held = {});

// What ALSA itself reported (its error printing is routed here rather than to
// the terminal), oldest first, at most the last few dozen lines.
std::vector<std::string> AlsaLogLines();

}  // namespace audio

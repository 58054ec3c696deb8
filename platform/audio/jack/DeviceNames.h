// NAME in the descriptions of a JACK device's outputs, "OUT 1-2 (1:NAME)":
// the name a lab knows its interface by, whatever the server calls the
// device. jackd calls it "system"; PipeWire calls it after its node ("EDIROL
// UA-101 Pro": the model and the profile), sets no pretty-name, gives its
// ports aliases up to 0.3.70 and none from 0.3.71 on.
#pragma once

#include <vector>

#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/audio/jack/JackClient.h"

namespace audio::jack {

// Sets `name`, `card` and `cardIndex` of every device from its client name,
// pretty-name and aliases and from the machine's `cards` (ListCardNames).
// NAME is, in this order:
// 1. the pretty-name;
// 2. the short name of the card an alias names: jackd's "alsa_pcm:hw:UA101:out1"
//    by its id, PipeWire's "alsa:pcm:1:hw:1,0:playback_AUX0" by its number;
// 3. the nick in a PipeWire alias "NICK:port" ("UA-101:playback_AUX0");
// 4. the short name of a card that the client's name holds as a whole word
//    ("EDIROL UA-101 Pro" holds "UA-101", not "UA");
// 5. the client's name.
// The card is found the same way (a card named by 3 or 4 only once: two devices
// never claim one card), so that the output list does not offer it twice.
void NameDevices(std::vector<JackDevice>& devices, const std::vector<AlsaCard>& cards);

}  // namespace audio::jack

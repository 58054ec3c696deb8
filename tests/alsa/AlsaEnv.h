// The process's private ALSA HOME for the back end's tests, made before any
// test runs (and so before the first ALSA call).
#pragma once

#include <memory>
#include <string>

#include "common/AlsaTestHome.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"

namespace alsatest {

const Home& TheHome();

// The eight-channel card the channel-pair tests describe; its stream plays
// on a file PCM ("card8.raw").
std::vector<audio::AlsaCard> TestCards();

// The id of the listed output described `description`; fails the test if absent.
GUID IdOf(audio::IBackend& backend, const std::string& description);

}  // namespace alsatest

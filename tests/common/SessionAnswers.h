// The answers a test gives in a session, and the check that the results file
// keeps every one of them: the heading, the candidate's name and one line per
// test, each compared on its own so that a failure names the line.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace audio {
class VirtualBackend;
}

namespace answers {

enum Choice { kPreferA = 0, kPreferB = 1, kNoPreference = 2 };

struct Answer {
    int nExcerptA = 0;
    int nExcerptB = 0;
    Choice choice = kNoPreference;
    std::string strNotes;  // without tabs: the file keeps it as typed
};

// The results file's lines, split at CR LF; false in `bTerminated` when the
// last line lacks its CR LF.
std::vector<std::string> SplitCrLf(const std::string& text, bool& bTerminated);

::testing::AssertionResult ResultsHold(const std::string& results, const std::string& name,
                                       const std::vector<Answer>& expected);

// The last 16-bit sample an output plays after `frames` more frames: what a
// listener hears there once the fade has settled (0 when nothing is open).
// The default covers a seek: a fade-out at the old place and a fade-in at the
// new one, one volume ramp each.
std::int16_t Heard(audio::VirtualBackend& vb, int nOutput, std::uint32_t frames = 512);

}  // namespace answers

#include "common/SessionAnswers.h"

#include "platform/audio/virtual/VirtualBackend.h"

namespace answers {

std::vector<std::string> SplitCrLf(const std::string& text, bool& bTerminated) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    bTerminated = from == text.size();
    if (!bTerminated) lines.push_back(text.substr(from));
    return lines;
}

::testing::AssertionResult ResultsHold(const std::string& results, const std::string& name,
                                       const std::vector<Answer>& expected) {
    bool bTerminated = false;
    const std::vector<std::string> lines = SplitCrLf(results, bTerminated);
    const std::vector<std::string> heading = {
        "SONDARIUM RESULTS", "", "NOME", name, "", "BRANO\tBRANO\tRIS\tRIS\tRIS\tNOTES", "A\tB\tA\tB\tNONE"};
    if (!bTerminated) return ::testing::AssertionFailure() << "the last line has no CR LF";
    if (lines.size() != heading.size() + expected.size())
        return ::testing::AssertionFailure() << lines.size() << " lines, expected "
                                             << heading.size() + expected.size();
    for (std::size_t i = 0; i < heading.size(); ++i) {
        if (lines[i] != heading[i])
            return ::testing::AssertionFailure() << "heading line " << i + 1 << " is \"" << lines[i] << "\"";
    }
    for (std::size_t n = 0; n < expected.size(); ++n) {
        const Answer& a = expected[n];
        const std::string want = std::to_string(a.nExcerptA) + "\t" + std::to_string(a.nExcerptB) + "\t" +
                                 (a.choice == kPreferA ? "1" : "0") + "\t" + (a.choice == kPreferB ? "1" : "0") +
                                 "\t" + (a.choice == kNoPreference ? "1" : "0") + "\t" + a.strNotes;
        const std::string& got = lines[heading.size() + n];
        if (got != want)
            return ::testing::AssertionFailure() << "test " << n + 1 << ": \"" << got << "\", expected \"" << want
                                                 << "\"";
    }
    return ::testing::AssertionSuccess();
}

std::int16_t Heard(audio::VirtualBackend& vb, int nOutput, std::uint32_t frames) {
    const std::vector<std::int16_t> pcm = vb.RenderInt16(nOutput, frames);
    return pcm.empty() ? 0 : pcm.back();
}

}  // namespace answers

// The stimulus check: before the first test of a session, every WAV file that a
// test will play is opened the way the sound layer opens it (headers only, no
// samples) and judged by the audio service's format rules. A file that could
// never be heard refuses the start; what is only likely a mistake (loops of
// different lengths, mixed formats within an excerpt) is a warning.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/TrackCombs.h"

enum class TStimulusProblem {
    None,
    Missing,            // no such file
    Unreadable,         // exists, but cannot be opened or is no regular file
    NotWave,            // not RIFF/WAVE, or no "fmt " chunk
    NoData,             // no "data" chunk
    EmptyData,          // a "data" chunk without samples
    Truncated,          // the "data" chunk declares more bytes than the file holds
    UnsupportedFormat,  // a format or size the audio service refuses
};

// What the headers of one playlist entry say.
struct TStimulusFile {
    std::string strEntry;   // the entry as the playlist writes it
    TStimulusProblem problem = TStimulusProblem::None;
    std::string strDetail;  // why, in a few words (errno text, the refused format)
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint32_t dwDataBytes = 0;

    bool Playable() const { return problem == TStimulusProblem::None; }
    std::uint64_t Frames() const { return nBlockAlign ? dwDataBytes / nBlockAlign : 0; }
    double Seconds() const { return nSamplesPerSec ? double(Frames()) / nSamplesPerSec : 0.0; }
};

enum class TStimulusWarningKind { TestLengths, ExcerptRates, ExcerptFormats, ExcerptLengths };

struct TStimulusWarning {
    TStimulusWarningKind kind;
    int nTest = 0;      // 1-based, for TestLengths
    int nExcerpt = 0;   // 1-based, for the excerpt kinds (for TestLengths: A)
    int nExcerptB = 0;  // for TestLengths
    std::string strText;
};

struct TStimulusReport {
    std::vector<TStimulusFile> files;        // one per entry used by a test, in playlist order
    std::vector<std::size_t> failed;         // indices into files of the unplayable ones
    std::vector<TStimulusWarning> warnings;

    bool Refused() const { return !failed.empty(); }
    // The header facts of entry `nEntry` of the playlist, or null when no test uses it.
    const TStimulusFile* FileOfEntry(std::size_t nEntry) const;
    std::vector<std::size_t> entryIndex;     // playlist index of files[i]
};

// Reads the header of one file as the sound layer would and judges it.
TStimulusFile InspectStimulus(const std::string& strEntry);

// Checks every entry that a test of `tests` uses. Excerpt numbers outside the
// playlist are skipped: the index check has refused such a session already.
TStimulusReport CheckStimuli(const std::vector<std::string>& entries, int nChannels, const TVecCombinations& tests);

// The refusal's message (caption "Errore:"): the failing files, up to ten, and why.
std::string StimulusErrorText(const TStimulusReport& report);
// The warning's message (caption "Avvertimento :"); empty when there is none.
std::string StimulusWarningText(const TStimulusReport& report);
// One debug-log line per finding.
std::vector<std::string> StimulusLogLines(const TStimulusReport& report);

// "PCM 16 bit, 2 canali, 44100 Hz" and the like.
std::string FormatDescription(const TStimulusFile& f);
// Why a file cannot be played, in Italian ("file mancante", ...).
std::string ProblemText(const TStimulusFile& f);

#include "files/StimulusCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "platform/audio/DSound.h"
#include "platform/audio/SampleFormat.h"
#include "sound/WaveFile.h"

namespace {

// Longer names are never loaded onto a track.
constexpr std::size_t MAX_FILE_NAME = 1023;
// Findings named in a message before "... e altri N".
constexpr std::size_t MAX_NAMED = 10;

TStimulusFile Refuse(TStimulusFile f, TStimulusProblem problem, std::string strDetail = {}) {
    f.problem = problem;
    f.strDetail = std::move(strDetail);
    return f;
}

std::string Seconds(double s, int nDecimals = 3) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f s", nDecimals, s);
    return text;
}

// Frames per second cross-multiplied, so that files of different rates compare
// by duration without rounding.
bool SameDuration(const TStimulusFile& a, const TStimulusFile& b) {
    return a.Frames() * b.nSamplesPerSec == b.Frames() * a.nSamplesPerSec;
}

// The durations of files that differ, with enough decimals to tell them apart
// (a few samples make a loop drift as surely as seconds do).
std::vector<std::string> Durations(const std::vector<const TStimulusFile*>& files) {
    for (int nDecimals : {3, 6}) {
        std::vector<std::string> texts;
        bool bClear = true;
        for (const TStimulusFile* f : files) {
            texts.push_back(Seconds(f->Seconds(), nDecimals));
            for (std::size_t i = 0; i + 1 < texts.size(); ++i)
                bClear &= texts[i] != texts.back() || SameDuration(*files[i], *f);
        }
        if (bClear || nDecimals == 6) return texts;
    }
    return {};
}

std::string ListWithRest(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < MAX_NAMED; ++i) out += items[i] + "\n";
    if (items.size() > MAX_NAMED) out += "... e altri " + std::to_string(items.size() - MAX_NAMED) + "\n";
    return out;
}

}  // namespace

TStimulusFile InspectStimulus(const std::string& strEntry) {
    TStimulusFile f;
    f.strEntry = strEntry;
    struct stat st{};
    if (stat(strEntry.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Refuse(f, TStimulusProblem::Missing);
        return Refuse(f, TStimulusProblem::Unreadable, std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) return Refuse(f, TStimulusProblem::Unreadable, "non è un file");
    const int fd = open(strEntry.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Refuse(f, TStimulusProblem::Unreadable, std::strerror(errno));
    close(fd);
    const std::wstring wstrName = QString::fromUtf8(strEntry.data(), static_cast<qsizetype>(strEntry.size())).toStdWString();
    if (wstrName.size() > MAX_FILE_NAME) return Refuse(f, TStimulusProblem::Unreadable, "nome del file troppo lungo");

    // The sound layer's own reader: what it cannot parse here, it cannot play.
    CWaveFile wave;
    const HRESULT hr = wave.Open(wstrName.c_str(), nullptr, WAVEFILE_READ);
    if (const WAVEFORMATEX* pwfx = wave.GetFormat()) {
        f.wFormatTag = pwfx->wFormatTag;
        f.nChannels = pwfx->nChannels;
        f.nSamplesPerSec = pwfx->nSamplesPerSec;
        f.wBitsPerSample = pwfx->wBitsPerSample;
        f.nBlockAlign = pwfx->nBlockAlign;
    }
    if (FAILED(hr)) return Refuse(f, wave.GetFormat() ? TStimulusProblem::NoData : TStimulusProblem::NotWave);
    f.dwDataBytes = wave.GetSize();
    if (f.dwDataBytes == 0) return Refuse(f, TStimulusProblem::EmptyData);

    audio::SampleFormat format;
    if (FAILED(audio::ParseFormat(wave.GetFormat(), format))) return Refuse(f, TStimulusProblem::UnsupportedFormat);
    if (f.dwDataBytes < DSBSIZE_MIN || f.dwDataBytes > DSBSIZE_MAX)
        return Refuse(f, TStimulusProblem::UnsupportedFormat, "dati audio di " + std::to_string(f.dwDataBytes) + " byte");
    const std::uint64_t end = std::uint64_t{wave.m_ckData.dwDataOffset} + f.dwDataBytes;
    if (end > static_cast<std::uint64_t>(st.st_size)) {
        const std::uint64_t held = st.st_size > wave.m_ckData.dwDataOffset ? st.st_size - wave.m_ckData.dwDataOffset : 0;
        return Refuse(f, TStimulusProblem::Truncated,
                      "dichiara " + std::to_string(f.dwDataBytes) + " byte di dati, ne contiene " + std::to_string(held));
    }
    return f;
}

const TStimulusFile* TStimulusReport::FileOfEntry(std::size_t nEntry) const {
    const auto it = std::lower_bound(entryIndex.begin(), entryIndex.end(), nEntry);
    if (it == entryIndex.end() || *it != nEntry) return nullptr;
    return &files[static_cast<std::size_t>(it - entryIndex.begin())];
}

TStimulusReport CheckStimuli(const std::vector<std::string>& entries, int nChannels, const TVecCombinations& tests) {
    TStimulusReport report;
    if (nChannels <= 0) return report;
    const std::size_t K = static_cast<std::size_t>(nChannels);
    const std::size_t N = entries.size() / K;
    const auto inRange = [N](std::int32_t k) { return k >= 1 && static_cast<std::size_t>(k) <= N; };

    std::set<std::int32_t> used;
    for (const TTrackCombs& t : tests) {
        if (inRange(t.nExcerptA)) used.insert(t.nExcerptA);
        if (inRange(t.nExcerptB)) used.insert(t.nExcerptB);
    }
    // An entry repeated in the playlist is read once.
    std::map<std::string, TStimulusFile> seen;
    for (std::int32_t k : used) {
        for (std::size_t c = 0; c < K; ++c) {
            const std::size_t i = (static_cast<std::size_t>(k) - 1) * K + c;
            auto it = seen.find(entries[i]);
            if (it == seen.end()) it = seen.emplace(entries[i], InspectStimulus(entries[i])).first;
            report.entryIndex.push_back(i);
            report.files.push_back(it->second);
        }
    }
    std::set<std::string> named;
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        if (!report.files[i].Playable() && named.insert(report.files[i].strEntry).second) report.failed.push_back(i);
    }

    const auto file = [&](std::int32_t k, std::size_t c) { return report.FileOfEntry((std::size_t(k) - 1) * K + c); };
    for (std::int32_t k : used) {
        bool bRates = false, bFormats = false, bLengths = false;
        const TStimulusFile* first = nullptr;
        std::vector<const TStimulusFile*> playable;
        std::string strRates, strFormats, strLengths;
        for (std::size_t c = 0; c < K; ++c) {
            const TStimulusFile* f = file(k, c);
            if (!f->Playable()) continue;
            if (!first) first = f;
            playable.push_back(f);
            bRates |= f->nSamplesPerSec != first->nSamplesPerSec;
            bFormats |= f->wFormatTag != first->wFormatTag || f->wBitsPerSample != first->wBitsPerSample ||
                        f->nChannels != first->nChannels;
            bLengths |= !SameDuration(*f, *first);
            const std::string sep = strRates.empty() ? "" : ", ";
            strRates += sep + std::to_string(f->nSamplesPerSec) + " Hz";
            strFormats += sep + FormatDescription(*f);
        }
        for (const std::string& d : Durations(playable)) strLengths += (strLengths.empty() ? "" : ", ") + d;
        const std::string strWho = "Brano " + std::to_string(k) + ": i file hanno ";
        if (bRates)
            report.warnings.push_back({TStimulusWarningKind::ExcerptRates, 0, k, 0,
                                       strWho + "frequenze di campionamento diverse (" + strRates + ")"});
        if (bFormats)
            report.warnings.push_back({TStimulusWarningKind::ExcerptFormats, 0, k, 0,
                                       strWho + "formati diversi (" + strFormats + ")"});
        if (bLengths)
            report.warnings.push_back({TStimulusWarningKind::ExcerptLengths, 0, k, 0,
                                       strWho + "durate diverse (" + strLengths + ")"});
    }
    for (std::size_t n = 0; n < tests.size(); ++n) {
        const TTrackCombs& t = tests[n];
        if (!inRange(t.nExcerptA) || !inRange(t.nExcerptB)) continue;
        for (std::size_t c = 0; c < K; ++c) {
            const TStimulusFile* a = file(t.nExcerptA, c);
            const TStimulusFile* b = file(t.nExcerptB, c);
            if (!a->Playable() || !b->Playable() || SameDuration(*a, *b)) continue;
            report.warnings.push_back(
                {TStimulusWarningKind::TestLengths, int(n) + 1, t.nExcerptA, t.nExcerptB,
                 "Test " + std::to_string(n + 1) + ": A (brano " + std::to_string(t.nExcerptA) + ") e B (brano " +
                     std::to_string(t.nExcerptB) + ") durano " + Durations({a, b})[0] + " e " + Durations({a, b})[1] +
                     ": dopo il primo passaggio i due brani non sono più allineati"});
            break;
        }
    }
    return report;
}

std::string FormatDescription(const TStimulusFile& f) {
    std::string kind;
    if (f.wFormatTag == WAVE_FORMAT_PCM) kind = "PCM";
    else if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) kind = "float";
    else if (f.wFormatTag == 0xFFFE) kind = "extensible";
    else {
        char tag[16];
        std::snprintf(tag, sizeof tag, "tag 0x%04X", f.wFormatTag);
        kind = tag;
    }
    return kind + " " + std::to_string(f.wBitsPerSample) + " bit, " + std::to_string(f.nChannels) +
           (f.nChannels == 1 ? " canale, " : " canali, ") + std::to_string(f.nSamplesPerSec) + " Hz";
}

std::string ProblemText(const TStimulusFile& f) {
    const std::string strDetail = f.strDetail.empty() ? "" : " (" + f.strDetail + ")";
    switch (f.problem) {
        case TStimulusProblem::None: return "";
        case TStimulusProblem::Missing: return "file mancante";
        case TStimulusProblem::Unreadable: return "file illeggibile" + strDetail;
        case TStimulusProblem::NotWave: return "non è un file WAV";
        case TStimulusProblem::NoData: return "file WAV senza dati audio (manca il blocco 'data')";
        case TStimulusProblem::EmptyData: return "file WAV senza dati audio (blocco 'data' vuoto)";
        case TStimulusProblem::Truncated: return "file WAV incompleto" + strDetail;
        case TStimulusProblem::UnsupportedFormat:
            return "formato non supportato: " + (f.strDetail.empty() ? FormatDescription(f) : f.strDetail) +
                   " (servono PCM 8/16/24/32 bit o float 32 bit, da 1 a 8 canali)";
    }
    return "";
}

std::string StimulusErrorText(const TStimulusReport& report) {
    std::vector<std::string> items;
    for (std::size_t i : report.failed) items.push_back(report.files[i].strEntry + ": " + ProblemText(report.files[i]));
    return "Errore: alcuni file audio della sessione non si possono riprodurre:\n\n" + ListWithRest(items) +
           "\nCorreggere la playlist o i file, poi avviare di nuovo la sessione.";
}

std::string StimulusWarningText(const TStimulusReport& report) {
    if (report.warnings.empty()) return "";
    std::vector<std::string> items;
    for (const TStimulusWarning& w : report.warnings) items.push_back(w.strText);
    return "Attenzione!\nVerificare i file audio della sessione:\n\n" + ListWithRest(items) + "\nLa sessione prosegue.";
}

std::vector<std::string> StimulusLogLines(const TStimulusReport& report) {
    std::vector<std::string> lines;
    for (std::size_t i : report.failed)
        lines.push_back("CheckStimuli: " + report.files[i].strEntry + ": " + ProblemText(report.files[i]));
    for (const TStimulusWarning& w : report.warnings) lines.push_back("CheckStimuli: " + w.strText);
    return lines;
}

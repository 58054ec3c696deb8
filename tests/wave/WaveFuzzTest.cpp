// A seeded mutation loop over WAV images. Each mutated image is opened by the
// reader from a real file, attached as a memory block, and walked chunk by chunk
// through a file stream and a memory stream, which must agree byte for byte.
// Nothing may crash, and no read may give more than the data size or bytes
// that are not in the image. The seed is fixed, so a failure repeats.
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "common/WavBuilder.h"
#include "sound/WaveFile.h"

using wavbuild::Bytes;
using wavbuild::Format;
using wavbuild::Riff;
using wavbuild::Text;

namespace {

constexpr int kInputs = 30000;
constexpr std::uint32_t kSeed = 0x50DA2105u;

std::vector<Bytes> SeedImages() {
    std::vector<Bytes> seeds;
    const Format mono{1, 1, 8000, 16}, stereo24{1, 2, 48000, 24}, flt{3, 2, 44100, 32};
    seeds.push_back(wavbuild::Wave(mono, wavbuild::Samples(mono, 40)));
    {
        Riff r;
        r.Add("data", wavbuild::Samples(stereo24, 21)).Add("fmt ", wavbuild::FmtBody(stereo24, 18));
        seeds.push_back(r.Build());
    }
    {
        Riff r;
        r.Add("junk", Text("odd")).Add("fmt ", wavbuild::FmtBody(flt, 40)).Add("data", wavbuild::Samples(flt, 9));
        r.Add("LIST", Text("INFOISFT\x05\0\0\0test"));
        seeds.push_back(r.Build());
    }
    {
        Riff r;
        const Format ext{0xFFFE, 2, 48000, 16};
        r.Add("fmt ", wavbuild::FmtBody(ext, 40, 22, Bytes(22, 0x5A))).Add("fact", Bytes(4, 1));
        r.Add("data", wavbuild::Samples(ext, 33));
        seeds.push_back(r.Build());
    }
    return seeds;
}

class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : m_rng(seed) {}

    Bytes Mutate(Bytes image) {
        const int steps = 1 + Below(3);
        for (int i = 0; i < steps; ++i) Step(image);
        return image;
    }

private:
    int Below(int n) { return static_cast<int>(m_rng() % static_cast<std::uint32_t>(n)); }

    void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }

    void Step(Bytes& b) {
        if (b.empty()) {
            b.push_back(static_cast<std::uint8_t>(m_rng()));
            return;
        }
        const std::size_t at = static_cast<std::size_t>(Below(static_cast<int>(b.size())));
        switch (Below(6)) {
        case 0:  // flip a few bits
            for (int k = Below(8); k >= 0; --k) b[static_cast<std::size_t>(Below(static_cast<int>(b.size())))] ^=
                static_cast<std::uint8_t>(1u << Below(8));
            break;
        case 1: {  // a size field of an interesting value, often at a header's size slot
            const std::uint32_t values[] = {0,          1,          2,           15,   16,     17,
                                            18,         0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u,
                                            static_cast<std::uint32_t>(b.size()),
                                            static_cast<std::uint32_t>(b.size() - 7),
                                            static_cast<std::uint32_t>(m_rng())};
            const std::size_t slot = Below(2) ? (at & ~std::size_t{3}) + 4 : at;
            Put32(b, slot, values[Below(static_cast<int>(std::size(values)))]);
            break;
        }
        case 2:  // cut the file short
            b.resize(at);
            break;
        case 3: {  // a well-known id somewhere
            const char* ids[] = {"RIFF", "WAVE", "fmt ", "data", "LIST", "RIFX"};
            const char* id = ids[Below(6)];
            for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(id[k]);
            break;
        }
        case 4: {  // duplicate a slice (shifts everything after it)
            const std::size_t len = std::min<std::size_t>(b.size() - at, 1 + Below(40));
            Bytes slice(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + len));
            b.insert(b.begin() + Below(static_cast<int>(b.size())), slice.begin(), slice.end());
            break;
        }
        default:  // a non-PCM format tag with a large extension count at the first fmt body
            for (std::size_t i = 12; i + 8 + 18 <= b.size(); ++i) {
                if (std::memcmp(&b[i], "fmt ", 4) == 0) {
                    b[i + 8] = static_cast<std::uint8_t>(2 + Below(250));
                    b[i + 8 + 16] = static_cast<std::uint8_t>(m_rng());
                    b[i + 8 + 17] = static_cast<std::uint8_t>(m_rng());
                    break;
                }
            }
            break;
        }
    }

    std::mt19937 m_rng;
};

// Checks a successful open: every read stays within the data size and the image,
// delivers the image's own bytes at the data chunk, and repeats after ResetFile.
void CheckReads(CWaveFile& wave, const Bytes& image) {
    ASSERT_NE(wave.m_pwfx, nullptr);
    const DWORD dataOffset = wave.m_ckData.dwDataOffset;
    Bytes buf(image.size() + 64);
    Bytes first;
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(wave.ResetFile(), S_OK);
        DWORD got = 0;
        const HRESULT hr = wave.Read(buf.data(), static_cast<DWORD>(buf.size()), &got);
        ASSERT_LE(got, wave.GetSize());
        ASSERT_LE(got, image.size());
        if (FAILED(hr)) {
            ASSERT_EQ(got, 0u);
            ASSERT_GT(static_cast<std::uint64_t>(dataOffset) + wave.GetSize(), image.size())
                << "a failed read only where the data runs past the end";
            continue;
        }
        ASSERT_LE(static_cast<std::size_t>(dataOffset) + got, image.size());
        ASSERT_EQ(std::memcmp(buf.data(), image.data() + dataOffset, got), 0);
        if (pass == 0) first.assign(buf.begin(), buf.begin() + got);
        else ASSERT_TRUE(std::equal(first.begin(), first.end(), buf.begin()));
    }
}

// One walk of the reader's chunk steps; the trace records every result.
std::vector<std::int64_t> Walk(HMMIO h, const Bytes& image) {
    std::vector<std::int64_t> trace;
    MMCKINFO form{}, fmt{}, data{};
    trace.push_back(mmioDescend(h, &form, nullptr, 0));
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    trace.push_back(mmioDescend(h, &fmt, &form, MMIO_FINDCHUNK));
    char head[18];
    trace.push_back(mmioRead(h, head, sizeof head));
    trace.push_back(mmioAscend(h, &fmt, 0));
    trace.push_back(mmioSeek(h, static_cast<LONG>(form.dwDataOffset + 4), SEEK_SET_));
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    const MMRESULT found = mmioDescend(h, &data, &form, MMIO_FINDCHUNK);
    trace.push_back(found);
    trace.push_back(data.dwDataOffset);
    trace.push_back(data.cksize);
    if (found != 0) return trace;
    MMIOINFO info{};
    trace.push_back(mmioGetInfo(h, &info, 0));
    std::uint64_t taken = 0;
    while (taken < data.cksize) {
        if (info.pchNext == info.pchEndRead) {
            trace.push_back(mmioAdvance(h, &info, MMIO_READ));
            if (info.pchNext == info.pchEndRead) break;
        }
        const std::uint64_t n = std::min<std::uint64_t>(data.cksize - taken, info.pchEndRead - info.pchNext);
        EXPECT_EQ(std::memcmp(info.pchNext, image.data() + data.dwDataOffset + taken, n), 0);
        info.pchNext += n;
        taken += n;
    }
    EXPECT_LE(data.dwDataOffset + taken, image.size());
    trace.push_back(static_cast<std::int64_t>(taken));
    trace.push_back(mmioSetInfo(h, &info, 0));
    trace.push_back(mmioSeek(h, 0, SEEK_CUR_));
    return trace;
}

}  // namespace

TEST(WaveFuzz, MutatedImagesNeverCrashOrReadBeyondTheirData) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("fuzz.wav").toStdString();
    const std::wstring wpath(path.begin(), path.end());
    const std::vector<Bytes> seeds = SeedImages();
    Mutator mutator(kSeed);
    int opened = 0, walkedToData = 0;
    int run = 0;
    for (; run < kInputs && !testing::Test::HasFatalFailure(); ++run) {
        Bytes image = mutator.Mutate(seeds[static_cast<std::size_t>(run) % seeds.size()]);
        SCOPED_TRACE(testing::Message() << "input " << run);
        ASSERT_TRUE(wavbuild::WriteFile(path, image));

        {
            CWaveFile wave;
            const HRESULT hr = wave.Open(wpath.c_str(), nullptr, WAVEFILE_READ);
            if (SUCCEEDED(hr)) {
                ++opened;
                CheckReads(wave, image);
            } else {
                ASSERT_EQ(wave.GetSize(), 0u);
            }
        }
        {
            WAVEFORMATEX wfx{};
            CWaveFile block;
            ASSERT_EQ(block.OpenFromData(image.data(), static_cast<ULONG>(image.size()), &wfx, WAVEFILE_READ), S_OK);
            Bytes buf(image.size() + 8);
            DWORD got = 0;
            ASSERT_EQ(block.Read(buf.data(), static_cast<DWORD>(buf.size()), &got), S_OK);
            ASSERT_EQ(got, image.size());
        }
        {
            HMMIO file = mmioOpenW(wpath.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READ);
            std::vector<char> copy(image.begin(), image.end());
            MMIOINFO info{};
            info.fccIOProc = FOURCC_MEM;
            info.cchBuffer = static_cast<LONG>(copy.size());
            info.pchBuffer = copy.empty() ? nullptr : copy.data();
            HMMIO memory = mmioOpenW(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
            ASSERT_NE(file, nullptr);
            if (memory) {
                const auto fromFile = Walk(file, image);
                ASSERT_EQ(fromFile, Walk(memory, image)) << "file and memory streams disagree";
                if (fromFile.size() > 8) ++walkedToData;
                mmioClose(memory, 0);
            }
            mmioClose(file, 0);
        }
    }
    std::printf("[   FUZZ   ] %d inputs (seed 0x%08X): %d opened by the reader, %d walked to their data\n", run,
                kSeed, opened, walkedToData);
    RecordProperty("inputs", run);
    EXPECT_EQ(run, kInputs);
}

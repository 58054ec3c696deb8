// CWaveFile over real WAV files written into a temporary folder, over the embedded
// test resources (tests/riff/res) and over callers' memory blocks.
#include <QDir>
#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

#include "common/WavBuilder.h"
#include "sound/WaveFile.h"

using wavbuild::Bytes;
using wavbuild::Chunk;
using wavbuild::Format;
using wavbuild::Riff;
using wavbuild::Text;

namespace {

const Format kMono16{1, 1, 8000, 16};

class WaveFileTest : public ::testing::Test {
protected:
    std::wstring Write(const Bytes& image, const char* name = "test.wav") {
        const std::string path = QDir(m_dir.path()).filePath(QString::fromLatin1(name)).toStdString();
        EXPECT_TRUE(wavbuild::WriteFile(path, image));
        return std::wstring(path.begin(), path.end());
    }
    QTemporaryDir m_dir;
};

// Reads everything Read gives, in one request larger than the data.
Bytes ReadAll(CWaveFile& wave, HRESULT& hr, DWORD want) {
    Bytes out(want);
    DWORD got = 0xDEAD;
    hr = wave.Read(out.data(), want, &got);
    out.resize(SUCCEEDED(hr) ? got : 0);
    return out;
}

Bytes FormatBytes(const WAVEFORMATEX* pwfx) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(pwfx);
    return Bytes(p, p + sizeof(WAVEFORMATEX) + pwfx->cbSize);
}

struct OpenCase {
    const char* what;
    Bytes image;
    HRESULT hr;
    DWORD size;        // GetSize after Open
    Bytes data;        // what one large Read returns (successful opens)
    Bytes format;      // the whole format record (successful opens); empty: not checked
};

Bytes Record(const Format& f, std::uint16_t cbSize, const Bytes& extension = {}) {
    Bytes r = wavbuild::FmtBody(f, 16, cbSize, extension);
    return r;
}

std::vector<OpenCase> OpenCases() {
    const Bytes pcm = Text("0123456789ab");
    const Format ext{0xFFFE, 2, 48000, 24};
    const Bytes ext22 = Text("extension-of-22-bytes!");
    std::vector<OpenCase> cases;
    auto add = [&](const char* what, const Riff& r, HRESULT hr, DWORD size, Bytes data, Bytes format) {
        cases.push_back({what, r.Build(), hr, size, std::move(data), std::move(format)});
    };
    {
        Riff r;
        r.Add("data", pcm).Add("fmt ", wavbuild::FmtBody(kMono16));
        add("data before fmt", r, S_OK, 12, pcm, Record(kMono16, 0));
    }
    for (std::size_t fmtSize : {18u, 40u}) {
        Riff r;
        Bytes body = wavbuild::FmtBody(kMono16, fmtSize);
        for (std::size_t i = 16; i < body.size(); ++i) body[i] = 0xEE;  // must be skipped
        r.Add("fmt ", body).Add("data", pcm);
        add(fmtSize == 18 ? "PCM with an 18-byte fmt" : "PCM with a 40-byte fmt", r, S_OK, 12, pcm,
            Record(kMono16, 0));
    }
    {
        Riff r;
        r.Add("fmt ", wavbuild::FmtBody(ext, 40, 22, ext22)).Add("data", pcm);
        add("non-PCM with a 22-byte extension", r, S_OK, 12, pcm, Record(ext, 22, ext22));
    }
    {
        // The two bytes after a 16-byte non-PCM fmt are the next chunk's first id bytes.
        Riff r;
        Bytes id = {2, 0, 'x', 'y'};
        r.Add("fmt ", wavbuild::FmtBody(ext)).Add(std::string(id.begin(), id.end()), Text("zz")).Add("data", pcm);
        add("non-PCM 16-byte fmt takes its extension from what follows", r, S_OK, 12, pcm,
            Record(ext, 2, Text("xy")));
    }
    {
        Riff r;
        r.Add("data", pcm).Add("fmt ", wavbuild::FmtBody(ext));
        add("non-PCM 16-byte fmt at the end of the file", r, E_FAIL, 0, {}, {});
    }
    {
        Riff r;
        r.Add("fmt ", wavbuild::FmtBody(kMono16)).Add("data", pcm).Add("LIST", Text("INFOtrailing text"));
        add("LIST after data", r, S_OK, 12, pcm, {});
    }
    {
        Riff r;
        r.Add("junk", Text("abc")).Add("fmt ", wavbuild::FmtBody(kMono16)).Add("data", Text("odd")).Add("LIST",
                                                                                                     Text("INFOx"));
        add("odd chunks with pad bytes", r, S_OK, 3, Text("odd"), {});
    }
    {
        Riff r;
        r.id = "RIFX";
        r.bigEndian = true;
        r.Add("fmt ", wavbuild::FmtBody(kMono16)).Add("data", pcm);
        add("big-endian RIFX", r, E_FAIL, 0, {}, {});
    }
    {
        Riff r;
        r.form = "AVI ";
        r.Add("fmt ", wavbuild::FmtBody(kMono16)).Add("data", pcm);
        add("RIFF of another form", r, E_FAIL, 0, {}, {});
    }
    {
        Riff r;
        r.Add("data", pcm);
        add("no fmt", r, E_FAIL, 0, {}, {});
    }
    {
        Riff r;
        r.Add("fmt ", wavbuild::FmtBody(kMono16)).Add("LIST", Text("INFOab"));
        add("no data", r, E_FAIL, 0, {}, {});
    }
    {
        Riff r;
        r.Add("fmt ", Bytes(10, 1)).Add("data", pcm);
        add("fmt shorter than 16 bytes reads on into the next chunk", r, S_OK, 12, pcm, {});
    }
    {
        Riff r;
        r.Add("fmt ", wavbuild::FmtBody(kMono16)).Add("data", {});
        add("empty data", r, S_OK, 0, {}, {});
    }
    cases.push_back({"a text file", Text("This is not a WAV file at all.\n"), E_FAIL, 0, {}, {}});
    cases.push_back({"an empty file", {}, E_FAIL, 0, {}, {}});
    return cases;
}

}  // namespace

TEST_F(WaveFileTest, OpensTheFilesItAcceptsAndRefusesTheRest) {
    for (const OpenCase& c : OpenCases()) {
        SCOPED_TRACE(c.what);
        CWaveFile wave;
        EXPECT_EQ(wave.Open(Write(c.image).c_str(), nullptr, WAVEFILE_READ), c.hr);
        EXPECT_EQ(wave.GetSize(), c.size);
        if (FAILED(c.hr)) continue;
        ASSERT_NE(wave.m_pwfx, nullptr);
        if (!c.format.empty()) {
            EXPECT_EQ(FormatBytes(wave.m_pwfx), c.format);
        }
        HRESULT hr;
        EXPECT_EQ(ReadAll(wave, hr, 4096), c.data);
        EXPECT_EQ(hr, S_OK);
    }
}

TEST_F(WaveFileTest, KeepsEveryPcmAndFloatLayoutIntact) {
    const Format formats[] = {{1, 1, 22050, 8},  {1, 2, 44100, 8},  {1, 1, 48000, 16}, {1, 2, 44100, 16},
                              {1, 1, 96000, 24}, {1, 2, 48000, 24}, {1, 1, 44100, 32}, {1, 2, 44100, 32},
                              {3, 1, 48000, 32}, {3, 2, 44100, 32}};
    for (const Format& f : formats) {
        SCOPED_TRACE(testing::Message() << f.tag << "/" << f.channels << "ch/" << f.bits << "bit");
        // More frames than one stream buffer holds, so the read crosses refills.
        const Bytes samples = wavbuild::Samples(f, 20011);
        CWaveFile wave;
        ASSERT_EQ(wave.Open(Write(wavbuild::Wave(f, samples)).c_str(), nullptr, WAVEFILE_READ), S_OK);
        ASSERT_EQ(wave.GetSize(), samples.size());
        EXPECT_EQ(FormatBytes(wave.m_pwfx), Record(f, 0));
        ASSERT_EQ(wave.ResetFile(), S_OK);
        HRESULT hr;
        EXPECT_EQ(ReadAll(wave, hr, wave.GetSize()), samples);
        EXPECT_EQ(hr, S_OK);
    }
}

TEST_F(WaveFileTest, ReadsWhatRemainsThenNothingAndAgainAfterReset) {
    const Bytes pcm = wavbuild::Samples(kMono16, 50);
    Riff r;
    r.Add("fmt ", wavbuild::FmtBody(kMono16)).Add("data", pcm).Add("LIST", Text("INFOafter"));
    const std::wstring file = Write(r.Build());
    // The same image from a file and from an embedded resource read through memory.
    for (const wchar_t* name : {file.c_str(), L"RIFF_TEST_WAVE"}) {
        SCOPED_TRACE(testing::Message() << (name == file.c_str() ? "file" : "resource"));
        CWaveFile wave;
        ASSERT_EQ(wave.Open(name, nullptr, WAVEFILE_READ), S_OK);
        const DWORD size = wave.GetSize();
        Bytes first(size), more(size + 100);
        DWORD got = 0;
        const DWORD part = size / 3;
        ASSERT_EQ(wave.Read(first.data(), part, &got), S_OK);
        EXPECT_EQ(got, part);
        ASSERT_EQ(wave.Read(first.data() + part, size + 100, &got), S_OK);
        EXPECT_EQ(got, size - part);
        ASSERT_EQ(wave.Read(more.data(), 10, &got), S_OK);
        EXPECT_EQ(got, 0u);
        ASSERT_EQ(wave.ResetFile(), S_OK);
        ASSERT_EQ(wave.Read(more.data(), size + 100, &got), S_OK);
        ASSERT_EQ(got, size);
        EXPECT_TRUE(std::equal(first.begin(), first.end(), more.begin()));
        if (name == file.c_str()) {
            EXPECT_EQ(first, pcm);
        }
    }
}

TEST_F(WaveFileTest, DataClaimingMoreThanTheFileFailsWhenTheReadReachesTheEnd) {
    Riff r;
    r.chunks = {Chunk{"fmt ", wavbuild::FmtBody(kMono16)}, Chunk{"data", Text("0123456789"), 0xFFFFFFF0u}};
    CWaveFile wave;
    ASSERT_EQ(wave.Open(Write(r.Build()).c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(wave.GetSize(), 0xFFFFFFF0u);
    Bytes buf(10);
    DWORD got = 0;
    EXPECT_EQ(wave.Read(buf.data(), 10, &got), S_OK) << "the bytes that are there can be read";
    EXPECT_EQ(buf, Text("0123456789"));
    EXPECT_EQ(wave.Read(buf.data(), 1, &got), E_FAIL);
    EXPECT_EQ(got, 0u);
}

TEST_F(WaveFileTest, AnExistingFileWinsOverTheResourceOfTheSameName) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const Bytes pcm = Text("from the file");
    ASSERT_TRUE(wavbuild::WriteFile("RIFF_TEST_WAVE", wavbuild::Wave(kMono16, pcm)));
    struct Case {
        const wchar_t* name;
        HRESULT hr;
        Bytes data;
    } cases[] = {
        {L"RIFF_TEST_WAVE", S_OK, pcm},                     // the file in the current folder
        {L"RIFF_TEST_WAV", S_OK, Text("from WAV")},         // no file: the resource of type "WAV"
        {L"RIFF_TEST_EMPTY", E_FAIL, {}},                   // a resource of size 0
        {L"RIFF_TEST_TEXT", E_FAIL, {}},                    // a resource that is no WAVE image
        {L"RIFF_TEST_DATA", E_FAIL, {}},                    // plain data resources are not waves
        {L"NO_SUCH_WAVE", E_FAIL, {}},
    };
    for (const Case& c : cases) {
        CWaveFile wave;
        EXPECT_EQ(wave.Open(c.name, nullptr, WAVEFILE_READ), c.hr);
        HRESULT hr;
        if (SUCCEEDED(c.hr)) {
            EXPECT_EQ(ReadAll(wave, hr, 100), c.data);
        }
    }
    QFile::remove("RIFF_TEST_WAVE");
    CWaveFile fromResource;
    EXPECT_EQ(fromResource.Open(L"RIFF_TEST_WAVE", nullptr, WAVEFILE_READ), S_OK);
    HRESULT hr;
    EXPECT_EQ(ReadAll(fromResource, hr, 100), Text("resource WAVE 01"));
    QDir::setCurrent(previous);
}

TEST_F(WaveFileTest, MemoryBlocksAreSampleDataAsTheyStand) {
    Bytes block(600);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i);
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    const Bytes image = wavbuild::Wave(kMono16, Text("pcm"));
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {{"600-byte block", block}, {"a complete WAV image", image}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = c.bytes;
        CWaveFile wave;
        ASSERT_EQ(wave.OpenFromData(bytes.data(), static_cast<ULONG>(bytes.size()), &wfx, WAVEFILE_READ), S_OK);
        EXPECT_EQ(wave.GetSize(), 0u);
        EXPECT_EQ(wave.m_pwfx, &wfx);
        ASSERT_EQ(wave.ResetFile(), S_OK);
        HRESULT hr;
        EXPECT_EQ(ReadAll(wave, hr, 1000), c.bytes);
        EXPECT_EQ(ReadAll(wave, hr, 1000), Bytes()) << "the cursor moved to the end";
        ASSERT_EQ(wave.ResetFile(), S_OK);
        EXPECT_EQ(ReadAll(wave, hr, 1000), c.bytes);
    }
    CWaveFile wave;
    EXPECT_EQ(wave.OpenFromData(block.data(), 600, &wfx, 2), E_NOTIMPL);
}

TEST_F(WaveFileTest, RefusesCallsOutOfOrderAndBadArguments) {
    Bytes buf(16);
    DWORD got = 7;
    CWaveFile fresh;
    EXPECT_EQ(fresh.GetSize(), 0u);
    EXPECT_EQ(fresh.m_pwfx, nullptr);
    EXPECT_EQ(fresh.Read(buf.data(), 16, &got), CO_E_NOTINITIALIZED);
    EXPECT_EQ(fresh.ResetFile(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(fresh.Open(nullptr, nullptr, WAVEFILE_READ), E_INVALIDARG);
    EXPECT_EQ(fresh.Close(), S_OK);

    CWaveFile wave;
    ASSERT_EQ(wave.Open(Write(wavbuild::Wave(kMono16, Text("abcd"))).c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(wave.Read(nullptr, 4, &got), E_INVALIDARG);
    EXPECT_EQ(wave.Read(buf.data(), 4, nullptr), E_INVALIDARG);

    CWaveFile unattached;
    EXPECT_EQ(unattached.OpenFromData(nullptr, 0, nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(unattached.Read(buf.data(), 16, &got), CO_E_NOTINITIALIZED);

    // A failed header leaves no stream behind; a missing "data" keeps the format record.
    Riff noData;
    noData.Add("fmt ", wavbuild::FmtBody(kMono16));
    CWaveFile half;
    EXPECT_EQ(half.Open(Write(noData.Build()).c_str(), nullptr, WAVEFILE_READ), E_FAIL);
    EXPECT_NE(half.m_pwfx, nullptr);
    EXPECT_NE(half.m_hmmio, nullptr);
    CWaveFile text;
    EXPECT_EQ(text.Open(Write(Text("hello")).c_str(), nullptr, WAVEFILE_READ), E_FAIL);
    EXPECT_EQ(text.m_hmmio, nullptr);
    EXPECT_EQ(text.m_pwfx, nullptr);
}

TEST_F(WaveFileTest, ReopeningReleasesWhatTheEarlierOpenHeldAndNeverTheCallersRecord) {
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    Bytes block = Text("raw block");
    const std::wstring first = Write(wavbuild::Wave(kMono16, Text("first")), "first.wav");
    const std::wstring second = Write(wavbuild::Wave(kMono16, Text("second")), "second.wav");
    HRESULT hr;
    CWaveFile wave;
    ASSERT_EQ(wave.Open(first.c_str(), nullptr, WAVEFILE_READ), S_OK);
    ASSERT_EQ(wave.Open(second.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(ReadAll(wave, hr, 100), Text("second"));
    ASSERT_EQ(wave.OpenFromData(block.data(), static_cast<ULONG>(block.size()), &wfx, WAVEFILE_READ), S_OK);
    EXPECT_EQ(wave.m_hmmio, nullptr);
    EXPECT_EQ(ReadAll(wave, hr, 100), block);
    // The borrowed record must survive a later Open and the destructor (the
    // sanitizer build reports a wrong free).
    ASSERT_EQ(wave.Open(first.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_NE(wave.m_pwfx, &wfx);
    EXPECT_EQ(ReadAll(wave, hr, 100), Text("first"));
}

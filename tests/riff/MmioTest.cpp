// The buffered RIFF stream over real files in a temporary folder and over memory
// blocks: every case runs on both, since the reader uses both.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/WavBuilder.h"
#include "platform/riff/Mmio.h"

using wavbuild::Bytes;
using wavbuild::Chunk;
using wavbuild::Riff;
using wavbuild::Text;

namespace {

enum class Source { File, Memory };

// Opens an image as a stream of the chosen kind and closes it at the end.
class StreamOf {
public:
    StreamOf(Source source, const Bytes& image) : m_block(image.begin(), image.end()) {
        if (source == Source::File) {
            const std::string path = QDir(m_dir.path()).filePath("image.bin").toStdString();
            if (!wavbuild::WriteFile(path, image)) return;
            const std::wstring wide(path.begin(), path.end());
            h = mmioOpenW(wide.c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READ);
        } else {
            MMIOINFO info{};
            info.fccIOProc = FOURCC_MEM;
            info.cchBuffer = static_cast<LONG>(m_block.size());
            info.pchBuffer = m_block.data();
            h = mmioOpenW(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
        }
    }
    ~StreamOf() {
        if (h) mmioClose(h, 0);
    }
    LONG Pos() const { return mmioSeek(h, 0, SEEK_CUR_); }

    HMMIO h = nullptr;

private:
    QTemporaryDir m_dir;
    std::vector<char> m_block;
};

class Mmio : public ::testing::TestWithParam<Source> {};

Chunk Sized(const std::string& id, Bytes body, std::uint32_t declared, bool pad = true) {
    return {id, std::move(body), declared, pad};
}

struct FindCase {
    const char* what;
    Bytes image;
    FOURCC ckid;
    UINT flags;
    FOURCC fccType;  // wanted form type (MMIO_FINDLIST)
    bool found;
    DWORD dataOffset;
    DWORD size;
};

std::vector<FindCase> FindCases() {
    const FOURCC data = mmioFOURCC('d', 'a', 't', 'a');
    const FOURCC list = FOURCC_LIST;
    std::vector<FindCase> cases;
    {
        Riff r;
        r.Add("junk", Text("abc")).Add("data", Text("abcd"));
        cases.push_back({"after an odd chunk and its pad byte", r.Build(), data, MMIO_FINDCHUNK, 0, true, 32, 4});
    }
    {
        Riff r;
        r.chunks = {Sized("junk", Text("abc"), 3, false), Chunk{"data", Text("abcd")}};
        cases.push_back({"odd chunk whose pad byte is missing", r.Build(), data, MMIO_FINDCHUNK, 0, false, 0, 0});
    }
    {
        Riff r;
        r.Add("fmt ", Bytes(16, 1)).Add("data", Text("abcd"));
        r.declaredSize = 4 + 8 + 16;  // the form ends before "data"
        cases.push_back({"chunk outside its parent", r.Build(), data, MMIO_FINDCHUNK, 0, false, 0, 0});
    }
    for (std::uint32_t huge : {0xFFFFFFFFu, 0x7FFFFFF9u, 0x80000000u}) {
        Riff r;
        r.chunks = {Sized("junk", Text("xy"), huge), Chunk{"data", Text("abcd")}};
        cases.push_back({"chunk claiming a huge size before the target", r.Build(), data, MMIO_FINDCHUNK, 0, false, 0, 0});
    }
    {
        Riff r;
        r.Add("LIST", Text("INFOab")).Add("LIST", Text("adtlxyz"));
        cases.push_back({"list found by its form type", r.Build(), list, MMIO_FINDLIST, mmioFOURCC('a', 'd', 't', 'l'),
                         true, 12 + 8 + 6 + 8, 7});
    }
    {
        Riff r;
        r.Add("fmt ", Bytes(16, 1));
        Bytes image = r.Build();
        wavbuild::PutId(image, "data");  // a header cut short by the end of the file
        image.push_back(0);
        cases.push_back({"header cut short at the end", image, data, MMIO_FINDCHUNK, 0, false, 0, 0});
    }
    {
        Riff r;
        r.Add("fmt ", Bytes(16, 1)).Add("data", {});
        cases.push_back({"empty chunk ending the file", r.Build(), data, MMIO_FINDCHUNK, 0, true, 12 + 24 + 8, 0});
    }
    {
        Riff r;
        r.chunks = {Chunk{"fmt ", Bytes(16, 1)}, Sized("data", Text("ab"), 0xFFFFFFF0u)};
        cases.push_back({"chunk claiming more than the file holds", r.Build(), data, MMIO_FINDCHUNK, 0, true, 44,
                         0xFFFFFFF0u});
    }
    return cases;
}

}  // namespace

TEST_P(Mmio, DescendsIntoTheFormThenFindsChunksOnlyInsideIt) {
    for (const FindCase& c : FindCases()) {
        SCOPED_TRACE(c.what);
        StreamOf s(GetParam(), c.image);
        ASSERT_NE(s.h, nullptr);
        MMCKINFO form{};
        ASSERT_EQ(mmioDescend(s.h, &form, nullptr, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(form.ckid, FOURCC_RIFF);
        EXPECT_EQ(form.fccType, mmioFOURCC('W', 'A', 'V', 'E'));
        EXPECT_EQ(form.dwDataOffset, 8u);
        ASSERT_EQ(s.Pos(), 12);

        MMCKINFO ck{};
        ck.ckid = c.ckid;
        ck.fccType = c.fccType;
        const MMRESULT r = mmioDescend(s.h, &ck, &form, c.flags);
        if (!c.found) {
            EXPECT_EQ(r, MMIOERR_CHUNKNOTFOUND);
            EXPECT_EQ(s.Pos(), 12) << "a failed search leaves the position where it started";
            continue;
        }
        ASSERT_EQ(r, MMSYSERR_NOERROR);
        EXPECT_EQ(ck.ckid, c.ckid);
        EXPECT_EQ(ck.dwDataOffset, c.dataOffset);
        EXPECT_EQ(ck.cksize, c.size);
        const LONG typeBytes = (c.ckid == FOURCC_LIST) ? 4 : 0;
        EXPECT_EQ(ck.fccType, c.fccType);
        EXPECT_EQ(s.Pos(), static_cast<LONG>(c.dataOffset) + typeBytes);
    }
}

TEST_P(Mmio, AscendsPastThePadByteAndRefusesBodiesPastTheEnd) {
    struct Case {
        const char* what;
        std::vector<Chunk> chunks;
        MMRESULT result;
        LONG posAfter;
    } cases[] = {
        {"odd body then its pad byte", {Chunk{"abcd", Text("xyz")}, Chunk{"next", Text("1")}}, MMSYSERR_NOERROR, 24},
        {"even body", {Chunk{"abcd", Text("wxyz")}, Chunk{"next", Text("1")}}, MMSYSERR_NOERROR, 24},
        {"odd last body without its pad byte", {Sized("abcd", Text("xyz"), 3, false)}, MMSYSERR_NOERROR, 23},
        {"body claiming more than the file", {Sized("abcd", Text("xyz"), 0xFFFFFFFFu)}, MMIOERR_CANNOTSEEK, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Riff r;
        r.chunks = c.chunks;
        StreamOf s(GetParam(), r.Build());
        ASSERT_NE(s.h, nullptr);
        MMCKINFO form{}, ck{};
        ASSERT_EQ(mmioDescend(s.h, &form, nullptr, 0), MMSYSERR_NOERROR);
        ASSERT_EQ(mmioDescend(s.h, &ck, &form, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(ck.ckid, mmioFOURCC('a', 'b', 'c', 'd'));
        EXPECT_EQ(mmioAscend(s.h, &ck, 0), c.result);
        if (c.posAfter >= 0) {
            EXPECT_EQ(s.Pos(), c.posAfter);
        }
    }
}

TEST_P(Mmio, SeeksOnlyInsideTheStreamAndReadsNoFurtherThanItsEnd) {
    Bytes image(100);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    StreamOf s(GetParam(), image);
    ASSERT_NE(s.h, nullptr);
    struct Case {
        LONG offset;
        int origin;
        LONG result;
    } cases[] = {{10, SEEK_SET_, 10},  {-1, SEEK_SET_, -1}, {101, SEEK_SET_, -1}, {100, SEEK_SET_, 100},
                 {-4, SEEK_END_, 96},  {2, SEEK_CUR_, 98},  {3, SEEK_CUR_, -1},   {5, 7, -1},
                 {0x7FFFFFFF, SEEK_END_, -1}};
    for (const Case& c : cases) EXPECT_EQ(mmioSeek(s.h, c.offset, c.origin), c.result) << c.offset << "/" << c.origin;

    ASSERT_EQ(mmioSeek(s.h, 96, SEEK_SET_), 96);
    char buf[16] = {};
    EXPECT_EQ(mmioRead(s.h, buf, sizeof buf), 4);
    EXPECT_EQ(static_cast<std::uint8_t>(buf[0]), 96);
    EXPECT_EQ(mmioRead(s.h, buf, sizeof buf), 0);
    EXPECT_EQ(mmioRead(s.h, buf, -1), -1);
}

TEST_P(Mmio, BufferAccessDeliversEveryByteOnceAndHandsThePositionBack) {
    // Larger than a file stream's buffer, so that refills are needed.
    Bytes image(100000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    StreamOf s(GetParam(), image);
    ASSERT_NE(s.h, nullptr);

    char head[10];
    ASSERT_EQ(mmioRead(s.h, head, 10), 10);
    MMIOINFO info{};
    ASSERT_EQ(mmioGetInfo(s.h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(info.lBufOffset + (info.pchNext - info.pchBuffer), 10);

    Bytes got(image.begin(), image.begin() + 10);
    for (int guard = 0; guard < 1000; ++guard) {
        if (info.pchNext == info.pchEndRead) {
            ASSERT_EQ(mmioAdvance(s.h, &info, MMIO_READ), MMSYSERR_NOERROR);
            if (info.pchNext == info.pchEndRead) break;
        }
        got.insert(got.end(), info.pchNext, info.pchEndRead);
        info.pchNext = info.pchEndRead;
    }
    EXPECT_EQ(got, image);
    ASSERT_EQ(mmioSetInfo(s.h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(s.Pos(), static_cast<LONG>(image.size()));

    MMIOINFO wild = info;
    wild.pchNext = info.pchEndRead + 1;
    EXPECT_EQ(mmioSetInfo(s.h, &wild, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAdvance(s.h, &wild, MMIO_READ), MMSYSERR_INVALPARAM);
}

INSTANTIATE_TEST_SUITE_P(FileAndMemory, Mmio, ::testing::Values(Source::File, Source::Memory),
                         [](const auto& info) { return info.param == Source::File ? "File" : "Memory"; });

TEST(MmioOpen, RefusesWhatCannotBeReadAsABufferedStream) {
    QTemporaryDir dir;
    const std::string fifo = QDir(dir.path()).filePath("fifo").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = QDir(dir.path()).filePath("missing.wav").toStdString();
    const std::string plain = QDir(dir.path()).filePath("plain.wav").toStdString();
    ASSERT_TRUE(wavbuild::WriteFile(plain, Text("RIFF")));
    auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };

    struct Case {
        const char* what;
        std::wstring name;
        DWORD flags;
    } cases[] = {
        {"missing file", wide(missing), MMIO_READ},
        {"a folder", wide(dir.path().toStdString()), MMIO_READ},
        {"a FIFO without a writer (must not block)", wide(fifo), MMIO_READ},
        {"write access", wide(plain), MMIO_READ | 1},
        {"creation", wide(plain), MMIO_READ | 0x1000},
        {"empty name", L"", MMIO_READ},
    };
    for (const Case& c : cases) EXPECT_EQ(mmioOpenW(c.name.c_str(), nullptr, c.flags), nullptr) << c.what;
    EXPECT_EQ(mmioOpenW(nullptr, nullptr, MMIO_READ), nullptr);

    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.cchBuffer = 10;
    EXPECT_EQ(mmioOpenW(nullptr, &info, MMIO_READ), nullptr) << "memory stream without a block";
    EXPECT_NE(info.wErrorRet, 0u);
}

TEST(MmioOpen, OpensAFileWhoseNameIsNotAscii) {
    QTemporaryDir dir;
    const std::wstring name = L"Prova-\u00e8\u00f1-\u4e2d.wav";
    const QString path = QDir(dir.path()).filePath(QString::fromStdWString(name));
    ASSERT_TRUE(wavbuild::WriteFile(QFile::encodeName(path).toStdString(), Text("RIFF1234")));
    HMMIO h = mmioOpenW(path.toStdWString().c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READ);
    ASSERT_NE(h, nullptr);
    char buf[8];
    EXPECT_EQ(mmioRead(h, buf, 8), 8);
    EXPECT_EQ(std::string(buf, 8), "RIFF1234");
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
}

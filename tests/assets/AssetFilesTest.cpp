// The committed assets: the sizes and formats the program relies on, and that
// the build embeds exactly these files under the names the program looks up.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdlib>

#include "SourceFiles.h"

using namespace assets_test;

namespace {

struct SoundCase {
    const char* name;
    std::size_t fileBytes;
    std::size_t dataBytes;
    std::size_t listBytes;  // the whole trailing LIST chunk, 0 for none
    friend void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.name; }
};

class EmbeddedSound : public ::testing::TestWithParam<SoundCase> {};

TEST_P(EmbeddedSound, IsMono16Bit44100PcmOfTheExactSize) {
    const SoundCase& c = GetParam();
    Bytes b;
    ASSERT_TRUE(ReadBytes(SourcePath(std::string("assets/res/10/") + c.name), b));
    ASSERT_EQ(b.size(), c.fileBytes);
    const RiffWave w = ParseRiffWave(b);
    ASSERT_TRUE(w.wellFormed);
    ASSERT_GE(w.chunks.size(), 2u);
    EXPECT_EQ(w.chunks[0].id, "fmt ");
    EXPECT_EQ(w.chunks[1].id, "data");

    const Chunk* fmt = w.find("fmt ");
    ASSERT_NE(fmt, nullptr);
    ASSERT_EQ(fmt->size, 16u);
    EXPECT_EQ(Le16(b, fmt->offset), 1);            // PCM
    EXPECT_EQ(Le16(b, fmt->offset + 2), 1);        // mono
    EXPECT_EQ(Le32(b, fmt->offset + 4), 44100u);
    EXPECT_EQ(Le32(b, fmt->offset + 8), 88200u);
    EXPECT_EQ(Le16(b, fmt->offset + 12), 2);
    EXPECT_EQ(Le16(b, fmt->offset + 14), 16);

    // The channel setup plays the file whole as samples: 22 header samples,
    // then the data, then the list chunk, so the data must start at byte 44.
    const Chunk* data = w.find("data");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->offset, 44u);
    EXPECT_EQ(data->size, c.dataBytes);

    const Chunk* list = w.find("LIST");
    if (c.listBytes == 0) {
        EXPECT_EQ(list, nullptr);
        EXPECT_EQ(w.chunks.size(), 2u);
    } else {
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(&w.chunks.back(), list);
        EXPECT_EQ(8 + list->size + list->size % 2, c.listBytes);
        EXPECT_EQ(list->offset + list->size + list->size % 2, b.size());
    }

    // Audible, and never at full scale (no clipping).
    int peak = 0;
    for (std::size_t at = data->offset; at < data->offset + data->size; at += 2)
        peak = std::max(peak, std::abs(int(std::int16_t(Le16(b, at)))));
    EXPECT_GT(peak, 32767 / 10);
    EXPECT_LT(peak, 32767 * 9 / 10);
}

TEST_P(EmbeddedSound, IsCompiledInByteForByte) {
    const SoundCase& c = GetParam();
    Bytes onDisk;
    ASSERT_TRUE(ReadBytes(SourcePath(std::string("assets/res/10/") + c.name), onDisk));
    QFile res(QString(":/res/10/") + c.name);
    ASSERT_TRUE(res.open(QIODevice::ReadOnly));
    const QByteArray embedded = res.readAll();
    ASSERT_EQ(std::size_t(embedded.size()), onDisk.size());
    EXPECT_TRUE(embedded == QByteArray(reinterpret_cast<const char*>(onDisk.data()), embedded.size()));
}

INSTANTIATE_TEST_SUITE_P(Assets, EmbeddedSound,
                         ::testing::Values(SoundCase{"INTRO_WAV", 137990, 137946, 0},
                                           SoundCase{"TEST_WAV", 80594, 80494, 56}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PictureCase {
    const char* path;  // under assets/
    int width;
    int height;
    bool embedded;     // also under ":/" with the same path
    friend void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.path; }
};

class Picture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Picture, HasItsSizeOnDiskAndInTheProgram) {
    const PictureCase& c = GetParam();
    const QImage img(QString::fromStdString(SourcePath(std::string("assets/") + c.path)));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(c.width, c.height));
    if (c.embedded) {
        EXPECT_EQ(QImage(QString(":/") + c.path).size(), QSize(c.width, c.height));
    }
}

INSTANTIATE_TEST_SUITE_P(Assets, Picture,
                         ::testing::Values(PictureCase{"res/pictures/splash.png", 400, 300, true},
                                           PictureCase{"res/pictures/monitor.png", 202, 173, true},
                                           PictureCase{"res/pictures/speaker_tl.png", 46, 45, true},
                                           PictureCase{"res/pictures/speaker_tr.png", 46, 45, true},
                                           PictureCase{"res/pictures/speaker_br.png", 46, 45, true},
                                           PictureCase{"res/pictures/speaker_bl.png", 46, 45, true},
                                           PictureCase{"icons/sondarium.png", 128, 128, false}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(Splash, Is24BitColourOnBlack) {
    Bytes b;
    ASSERT_TRUE(ReadBytes(SourcePath("assets/res/pictures/splash.png"), b));
    ASSERT_GT(b.size(), 26u);
    ASSERT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
    EXPECT_EQ(b[24], 8);  // bits per channel
    EXPECT_EQ(b[25], 2);  // RGB, no alpha
    const QImage img(QString::fromStdString(SourcePath("assets/res/pictures/splash.png")));
    for (const QPoint corner : {QPoint(0, 0), QPoint(399, 0), QPoint(0, 299), QPoint(399, 299)})
        EXPECT_EQ(img.pixel(corner), qRgb(0, 0, 0));
}

// The magnet and cone are solid, the waves thin arcs. The solid core (pixels
// opaque with all their neighbours two pixels around) therefore lies on the
// far side from where the waves point: the top left speaker, pointing to the
// lower right, has its core up and to the left of the picture's centre.
struct ButtonCase {
    const char* file;
    int signX;
    int signY;
    friend void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.file; }
};

class SpeakerButton : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(SpeakerButton, PointsTowardTheCentreOfTheSquare) {
    const ButtonCase& c = GetParam();
    const QImage img =
        QImage(QString::fromStdString(SourcePath(std::string("assets/res/pictures/") + c.file)))
            .convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(img.isNull());
    auto solid = [&](int x, int y) {
        for (int j = -2; j <= 2; ++j)
            for (int i = -2; i <= 2; ++i)
                if (!img.valid(x + i, y + j) || qAlpha(img.pixel(x + i, y + j)) < 128) return false;
        return true;
    };
    double mass = 0, mx = 0, my = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (solid(x, y)) {
                mass += 1;
                mx += x;
                my += y;
            }
    ASSERT_GT(mass, 0);
    const double dx = mx / mass - (img.width() - 1) / 2.0, dy = my / mass - (img.height() - 1) / 2.0;
    EXPECT_GT(dx * c.signX, 3.0);
    EXPECT_GT(dy * c.signY, 3.0);
}

INSTANTIATE_TEST_SUITE_P(Assets, SpeakerButton,
                         ::testing::Values(ButtonCase{"speaker_tl.png", -1, -1}, ButtonCase{"speaker_tr.png", 1, -1},
                                           ButtonCase{"speaker_br.png", 1, 1}, ButtonCase{"speaker_bl.png", -1, 1}),
                         [](const auto& info) { return std::to_string(info.index); });

} // namespace

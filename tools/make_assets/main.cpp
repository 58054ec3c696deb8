// Regenerate: build/tools/make_assets/make_assets assets
//
// Makes every embedded asset of Sondarium from code, so the committed files can
// be rebuilt byte for byte: the introduction and test sounds (resource type 10)
// under ASSETS/res/10, the pictures under ASSETS/res/pictures, and the desktop
// icon under ASSETS/icons. Running it again writes the same bytes.
#include "Pictures.h"
#include "Sounds.h"
#include "Wav.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

// The program's resource reader and the channel setup rely on these sizes.
constexpr std::size_t kIntroBytes = 137990;
constexpr std::size_t kTestBytes = 80594;
constexpr std::size_t kTestListBytes = 56;

bool writeSound(const QString& path, const wav::Bytes& bytes, std::size_t expected) {
    if (bytes.size() != expected) {
        std::fprintf(stderr, "%s: %zu bytes instead of %zu\n", qPrintable(path), bytes.size(), expected);
        return false;
    }
    return wav::writeFile(path.toStdString(), bytes);
}

bool writePicture(const QString& path, const QImage& img) {
    return img.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets ASSETS_FOLDER\n");
        return 2;
    }
    // Fonts need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QDir top(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"res/10", "res/pictures", "icons"}) top.mkpath(sub);

    // INTRO_WAV: a plain 44-byte header and its samples.
    const std::size_t introSamples = (kIntroBytes - 44) / 2;
    const wav::Bytes intro = wav::riffMono16(wav::toPcm16(sounds::introChime(introSamples)));

    // TEST_WAV: header, samples and a trailing LIST chunk. The channel setup
    // plays the whole file as samples, so the list holds a short text padded
    // with zeros, which sound as silence.
    const wav::Bytes list = wav::infoList("ISFT", "Sondarium", kTestListBytes - 20);
    const std::size_t testSamples = (kTestBytes - 44 - list.size()) / 2;
    const wav::Bytes test = wav::riffMono16(wav::toPcm16(sounds::pinkBurst(testSamples)), list);

    bool ok = list.size() == kTestListBytes;
    ok = writeSound(top.filePath("res/10/INTRO_WAV"), intro, kIntroBytes) && ok;
    ok = writeSound(top.filePath("res/10/TEST_WAV"), test, kTestBytes) && ok;
    ok = writePicture(top.filePath("res/pictures/splash.png"), pictures::splash()) && ok;
    ok = writePicture(top.filePath("res/pictures/monitor.png"), pictures::monitorSquare()) && ok;
    const struct { const char* name; double angle; } buttons[] = {
        {"speaker_tl.png", 45}, {"speaker_tr.png", 135}, {"speaker_br.png", -135}, {"speaker_bl.png", -45}};
    for (const auto& b : buttons)
        ok = writePicture(top.filePath(QString("res/pictures/") + b.name), pictures::speakerButton(b.angle)) && ok;
    ok = writePicture(top.filePath("icons/sondarium.png"), pictures::appIcon()) && ok;
    if (!ok) std::fprintf(stderr, "make_assets: some assets were not written\n");
    return ok ? 0 : 1;
}

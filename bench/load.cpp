// Loading a test: 8 WAV files of 60 s each (mono 16-bit 44.1 kHz) made into
// sounds with CSoundManager::Create, against a plain fread of the same files.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchWave.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "sound/SoundOutput.h"

namespace {

constexpr std::uint32_t RATE = 44100;
constexpr std::uint32_t SECONDS = 60;

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("sondarium-bench-load-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i) {
        files.push_back((dir / ("excerpt" + std::to_string(i) + ".wav")).string());
        bench::WriteWave(files.back(), SECONDS, static_cast<std::uint32_t>(i + 1));
    }
    std::uintmax_t total = 0;
    for (auto& f : files) total += fs::file_size(f);

    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    CSoundManager managers[4];
    for (int t = 0; t < 4; ++t) {
        managers[t].Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(t + 1)));
        managers[t].SetPrimaryFormat(1, RATE, 16);
    }
    int failures = 0;
    const double createSeconds = bench::Best(3, [&] {
        for (int i = 0; i < 8; ++i) {
            CSound* snd = nullptr;
            const std::wstring name(files[i].begin(), files[i].end());
            if (FAILED(managers[i / 2].Create(&snd, name.c_str(), 0x280, GUID_NULL, 1))) ++failures;
            delete snd;
        }
    });

    std::vector<unsigned char> block(total);
    const double readSeconds = bench::Best(3, [&] {
        std::size_t at = 0;
        for (auto& name : files) {
            FILE* f = std::fopen(name.c_str(), "rb");
            at += std::fread(block.data() + at, 1, block.size() - at, f);
            std::fclose(f);
        }
        bench::Keep(static_cast<double>(at + block[at / 2]));
    });

    const double mb = static_cast<double>(total) / 1e6;
    std::printf("load: 8 WAV files of %u s (mono 16-bit 44.1 kHz), %.1f MB in all%s\n", SECONDS, mb,
                failures ? "  (SOME CREATES FAILED)" : "");
    std::printf("  CSoundManager::Create  %7.3f s  (%6.0f MB/s)\n", createSeconds, mb / createSeconds);
    std::printf("  plain fread            %7.3f s  (%6.0f MB/s)\n", readSeconds, mb / readSeconds);
    std::printf("  Create / fread: %.2f\n", createSeconds / readSeconds);
    fs::remove_all(dir);
    return failures ? 1 : 0;
}

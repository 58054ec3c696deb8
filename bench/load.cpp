// Loading a test: 8 WAV files of 60 s each (mono 16-bit 44.1 kHz) made into
// sounds with CSoundManager::Create, against a plain fread of the same files;
// then the same test on outputs at 48 kHz, where every file is converted: the
// GUI thread's stalls (loading, then the press that starts all eight), when
// the sound can first be heard (every copy whole), the heap the converted
// copies add, and libsoxr's own one-shot time for the same samples, one file
// after the other on one core.
#include <malloc.h>
#include <soxr.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "BenchWave.h"
#include "platform/audio/Converter.h"
#include "platform/audio/DSound.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "sound/SoundOutput.h"

namespace {

constexpr std::uint32_t RATE = 44100;
constexpr std::uint32_t SECONDS = 60;

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::size_t HeapBytes() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Loads the test onto outputs at `outRate` and presses "A": the stall of each
// step on the calling (GUI) thread, and the heap the test holds.
struct TestLoad {
    double load = 0, play = 0, sound = 0;  // sound: from the start of loading until it can be heard
    std::size_t heap = 0;
};

TestLoad LoadAndPlay(const std::vector<std::string>& files, std::uint32_t outRate) {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    TestLoad r;
    {
        CSoundManager managers[4];
        for (int t = 0; t < 4; ++t) {
            managers[t].Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(t + 1)));
            managers[t].SetPrimaryFormat(1, outRate, 16);
        }
        const std::size_t heap0 = HeapBytes();
        std::vector<CSound*> sounds(8, nullptr);
        const auto start = std::chrono::steady_clock::now();
        auto t0 = start;
        for (int i = 0; i < 8; ++i) {
            const std::wstring name(files[i].begin(), files[i].end());
            managers[i / 2].Create(&sounds[i], name.c_str(), 0x280, GUID_NULL, 1);
        }
        r.load = Seconds(t0);
        t0 = std::chrono::steady_clock::now();
        {
            CDeferredCommands together;
            for (CSound* s : sounds)
                if (s) s->GetBuffer(0)->Play(0, 0, DSBPLAY_LOOPING);
        }
        r.play = Seconds(t0);
        while (audio::ConversionsRunning() > 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        r.sound = Seconds(start);
        r.heap = HeapBytes() - heap0;
        for (CSound* s : sounds) delete s;
    }
    return r;
}

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

    // Matched rates, then every file converted to 48 kHz.
    TestLoad same, conv;
    for (int i = 0; i < 3; ++i) {
        const TestLoad a = LoadAndPlay(files, RATE), b = LoadAndPlay(files, 48000);
        if (i == 0 || a.load + a.play < same.load + same.play) same = a;
        if (i == 0 || b.load + b.play < conv.load + conv.play) conv = b;
    }
    // libsoxr alone: the same samples as floats, one file after the other.
    std::vector<float> in(std::size_t(RATE) * SECONDS), out(std::size_t(48000) * SECONDS + 64);
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t q = soxr_quality_spec(audio::kConverterRecipe, 0);
    const soxr_runtime_spec_t rt = soxr_runtime_spec(1);
    const double oneShot = bench::Best(2, [&] {
        for (int i = 0; i < 8; ++i) {
            std::size_t done = 0;
            soxr_oneshot(RATE, 48000, 1, in.data(), in.size(), nullptr, out.data(), out.size(), &done, &io, &q, &rt);
            bench::Keep(out[done / 2]);
        }
    });

    const double mb = static_cast<double>(total) / 1e6;
    std::printf("load: 8 WAV files of %u s (mono 16-bit 44.1 kHz), %.1f MB in all%s\n", SECONDS, mb,
                failures ? "  (SOME CREATES FAILED)" : "");
    std::printf("  CSoundManager::Create  %7.3f s  (%6.0f MB/s)\n", createSeconds, mb / createSeconds);
    std::printf("  plain fread            %7.3f s  (%6.0f MB/s)\n", readSeconds, mb / readSeconds);
    std::printf("  Create / fread: %.2f\n", createSeconds / readSeconds);
    const double pcm = 8.0 * RATE * SECONDS * 2, copies = 8.0 * 48000 * SECONDS * 4;  // bytes
    std::printf("a test of these 8 files, loaded and started (\"A\"), on outputs at:\n");
    std::printf("  44.1 kHz (bit-exact): GUI thread busy %.3f s loading, %.3f s starting; heard %.3f s after the load began;\n"
                "                        heap +%.1f MB (PCM %.1f MB)\n",
                same.load, same.play, same.sound, same.heap / 1e6, pcm / 1e6);
    std::printf("  48 kHz (converted):   GUI thread busy %.3f s loading, %.3f s starting; heard %.3f s after the load began;\n"
                "                        heap +%.1f MB: %.1f MB more than bit-exact (one float copy at 48 kHz: %.1f MB)\n",
                conv.load, conv.play, conv.sound, conv.heap / 1e6, (double(conv.heap) - double(same.heap)) / 1e6, copies / 1e6);
    std::printf("  libsoxr one-shot, same samples, one core: %.3f s (%.0f x real time)\n", oneShot, 8.0 * SECONDS / oneShot);
    fs::remove_all(dir);
    return failures ? 1 : 0;
}

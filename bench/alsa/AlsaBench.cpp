// Timing of the ALSA back end through the audio service, on file PCMs in a
// private HOME (one of them stands in for an eight-channel card):
//  - the delay from SetVolume on the control thread to the first output frame
//    that carries it, counted from the frame being heard at that moment;
//  - the start skew between the four pairs of one card when four buffers are
//    started as one set of commands;
//  - the skew between two separate ALSA devices switched on together.
// Buffers hold a ramp: the right channel is the buffer's frame index, so the
// output says which buffer frame was playing when the change arrived.
#include <alsa/asoundlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "StartRounds.h"
#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaBackend.h"

namespace {

constexpr DWORD RATE = 44100;
constexpr DWORD LOOP = 32768;  // frames; the ramp fits 16 bits
constexpr int ROUNDS = 20;
const WAVEFORMATEX STEREO16{WAVE_FORMAT_PCM, 2, RATE, RATE * 4, 4, 16, 0};

using Clock = std::chrono::steady_clock;
void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Output {
    IDirectSound8* ds = nullptr;
    IDirectSoundBuffer* buf = nullptr;

    bool Open(const GUID& id, DWORD flags) {
        if (FAILED(DirectSoundCreate8(&id, &ds, nullptr))) return false;
        ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        DSBUFFERDESC pd{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
        IDirectSoundBuffer* primary = nullptr;
        if (SUCCEEDED(ds->CreateSoundBuffer(&pd, &primary, nullptr))) {
            primary->SetFormat(&STEREO16);
            primary->Release();
        }
        DSBUFFERDESC bd{36, flags, LOOP * 4, 0, const_cast<WAVEFORMATEX*>(&STEREO16), GUID_NULL};
        if (FAILED(ds->CreateSoundBuffer(&bd, &buf, nullptr))) return false;
        void *p1, *p2;
        DWORD n1, n2;
        buf->Lock(0, LOOP * 4, &p1, &n1, &p2, &n2, 0);
        auto* s = static_cast<std::int16_t*>(p1);
        for (DWORD f = 0; f < LOOP; ++f) {
            s[2 * f] = 16384;
            s[2 * f + 1] = static_cast<std::int16_t>(f);
        }
        buf->Unlock(p1, n1, p2, n2);
        return true;
    }
    DWORD Heard() {
        DWORD play = 0, write = 0;
        buf->GetCurrentPosition(&play, &write);
        return play / 4;
    }
    void Close() {
        if (buf) buf->Release();
        if (ds) ds->Release();
        buf = nullptr;
        ds = nullptr;
    }
};

// The file PCMs take 32-bit samples; the 16-bit sound is the top half of each.
std::vector<std::int16_t> ReadRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> s(b.size() / 4);
    for (std::size_t i = 0; i < s.size(); ++i) std::memcpy(&s[i], b.data() + 4 * i + 2, 2);
    return s;
}

// Output frames where channel `ch` of a `channels`-wide file turns from silence to sound.
std::vector<std::size_t> Onsets(const std::vector<std::int16_t>& s, unsigned channels, unsigned ch) {
    std::vector<std::size_t> at;
    bool on = false;
    for (std::size_t f = 0; f * channels + ch < s.size(); ++f) {
        const bool now = s[f * channels + ch] != 0;
        if (now && !on) at.push_back(f);
        on = now;
    }
    return at;
}

// Buffer frame playing at output frame `onset`: read once the 128-frame volume ramp is over.
long BufferFrameAt(const std::vector<std::int16_t>& s, unsigned channels, unsigned pair, std::size_t onset) {
    const std::size_t f = onset + 200;
    if ((f + 1) * channels > s.size()) return -1;
    return (long(s[f * channels + 2 * pair + 1]) - 200 + LOOP) % LOOP;
}

struct Stats {
    std::vector<double> v;
    void Add(double x) { v.push_back(x); }
    void Print(const char* what, const char* unit) const {
        if (v.empty()) {
            std::printf("  %-44s no data\n", what);
            return;
        }
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        double sum = 0;
        for (double x : s) sum += x;
        std::printf("  %-44s min %8.2f  median %8.2f  mean %8.2f  max %8.2f %s  (n=%zu)\n", what, s.front(),
                    s[s.size() / 2], sum / s.size(), s.back(), unit, s.size());
    }
};

GUID Find(const std::vector<audio::OutputInfo>& list, const std::string& d) {
    for (const auto& o : list)
        if (o.description == d) return o.id;
    std::fprintf(stderr, "no output \"%s\"\n", d.c_str());
    std::exit(1);
}

// Volume steps on a looping buffer: delay from SetVolume to the frame that carries it.
void VolumeDelay(const GUID& id, const std::string& file) {
    Output o;
    if (!o.Open(id, DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME)) return;
    o.buf->SetVolume(DSBVOLUME_MIN);
    o.buf->Play(0, 0, DSBPLAY_LOOPING);
    Sleep(200);
    std::vector<DWORD> heard;
    for (int i = 0; i < ROUNDS; ++i) {
        heard.push_back(o.Heard());
        o.buf->SetVolume(0);
        Sleep(60);
        o.buf->SetVolume(DSBVOLUME_MIN);
        Sleep(40 + 7 * (i % 5));
    }
    o.Close();
    const std::vector<std::int16_t> s = ReadRaw(file);
    const std::vector<std::size_t> on = Onsets(s, 2, 0);
    Stats frames, ms;
    for (std::size_t i = 0; i < on.size() && i < heard.size(); ++i) {
        const long at = BufferFrameAt(s, 2, 0, on[i]);
        if (at < 0) continue;
        const long d = (at - long(heard[i]) + LOOP) % LOOP;
        frames.Add(d);
        ms.Add(d * 1000.0 / RATE);
    }
    std::printf("Volume change to first output frame (file PCM \"%s\"):\n", file.c_str());
    frames.Print("delay", "frames");
    ms.Print("delay", "ms");
}

// Four buffers on the four pairs of one card, started as one set of commands.
void CardStartSkew(const std::vector<audio::OutputInfo>& list, const std::string& file) {
    Output o[4];
    for (int k = 0; k < 4; ++k) {
        if (!o[k].Open(list[1 + k].id, DSBCAPS_STATIC)) return;
    }
    Sleep(200);
    bench::StartStopRounds(o, ROUNDS, 30, 30);
    for (auto& x : o) x.Close();
    const std::vector<std::int16_t> s = ReadRaw(file);
    std::vector<std::size_t> on[4];
    for (unsigned k = 0; k < 4; ++k) on[k] = Onsets(s, 8, 2 * k);
    Stats skew;
    int zero = 0;
    for (std::size_t i = 0; i < on[0].size(); ++i) {
        if (on[1].size() <= i || on[2].size() <= i || on[3].size() <= i) break;
        const std::size_t lo = std::min({on[0][i], on[1][i], on[2][i], on[3][i]});
        const std::size_t hi = std::max({on[0][i], on[1][i], on[2][i], on[3][i]});
        skew.Add(double(hi - lo));
        zero += hi == lo;
    }
    std::printf("Start skew, four pairs of one card (one ALSA stream), started as one set of commands:\n");
    skew.Print("skew", "frames");
    std::printf("  rounds with 0 frames of skew: %d of %zu\n", zero, skew.v.size());
}

// Two separate devices switched on together: the difference of their delays
// plus the time between the two calls.
void DeviceSkew(const GUID& a, const GUID& b, const std::string& fa, const std::string& fb) {
    Output o[2];
    if (!o[0].Open(a, DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME) || !o[1].Open(b, DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME)) return;
    for (auto& x : o) {
        x.buf->SetVolume(DSBVOLUME_MIN);
        x.buf->Play(0, 0, DSBPLAY_LOOPING);
    }
    Sleep(200);
    std::vector<DWORD> heard[2];
    std::vector<double> between;
    for (int i = 0; i < ROUNDS; ++i) {
        const DWORD h0 = o[0].Heard();
        const auto t0 = Clock::now();
        o[0].buf->SetVolume(0);
        const DWORD h1 = o[1].Heard();
        const auto t1 = Clock::now();
        o[1].buf->SetVolume(0);
        heard[0].push_back(h0);
        heard[1].push_back(h1);
        between.push_back(std::chrono::duration<double>(t1 - t0).count() * RATE);
        Sleep(60);
        for (auto& x : o) x.buf->SetVolume(DSBVOLUME_MIN);
        Sleep(40 + 7 * (i % 5));
    }
    for (auto& x : o) x.Close();
    const std::vector<std::int16_t> sa = ReadRaw(fa), sb = ReadRaw(fb);
    const std::vector<std::size_t> oa = Onsets(sa, 2, 0), ob = Onsets(sb, 2, 0);
    Stats skew, skewMs;
    for (std::size_t i = 0; i < oa.size() && i < ob.size() && i < between.size(); ++i) {
        const long xa = BufferFrameAt(sa, 2, 0, oa[i]), xb = BufferFrameAt(sb, 2, 0, ob[i]);
        if (xa < 0 || xb < 0) continue;
        const double da = double((xa - long(heard[0][i]) + LOOP) % LOOP);
        const double db = double((xb - long(heard[1][i]) + LOOP) % LOOP) + between[i];
        skew.Add(std::abs(db - da));
        skewMs.Add(std::abs(db - da) * 1000.0 / RATE);
    }
    std::printf("Skew between two separate ALSA devices switched on one after the other:\n");
    skew.Print("|skew|", "frames");
    skewMs.Print("|skew|", "ms");
}

}  // namespace

int main() {
    char tmpl[] = "/tmp/sondarium-bench-alsa-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    {
        std::ofstream rc(dir + "/.asoundrc");
        for (const char* n : {"dev1", "dev2", "card8"}) {
            rc << "pcm." << n << " { type file slave.pcm \"null\" file \"" << dir << "/" << n
               << ".raw\" format \"raw\"";
            if (std::strcmp(n, "card8") != 0) rc << " hint.description \"Bench " << n << "\"";
            rc << " }\n";
        }
    }
    setenv("HOME", dir.c_str(), 1);
    snd_config_update_free_global();
    audio::SetBackend(audio::MakeAlsaBackend([] { return std::vector<audio::AlsaCard>{{0, "UA-101", 8, "card8"}}; }));
    const std::vector<audio::OutputInfo> list = audio::GetBackend()->Enumerate();

    std::printf("ALSA back end timing, %u Hz, 16-bit stereo primaries, file PCMs paced by the clock\n", RATE);
    VolumeDelay(Find(list, "Bench dev1"), dir + "/dev1.raw");
    for (const std::string& line : audio::AlsaLogLines())
        if (line.rfind("opened", 0) == 0 && line.find("dev1") != std::string::npos) std::printf("  (%s)\n", line.c_str());
    CardStartSkew(list, dir + "/card8.raw");
    DeviceSkew(Find(list, "Bench dev1"), Find(list, "Bench dev2"), dir + "/dev1.raw", dir + "/dev2.raw");
    audio::SetBackend(nullptr);
    std::filesystem::remove_all(dir);
    return 0;
}

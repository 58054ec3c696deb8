// Commands issued together: every buffer of one stream starts, stops and moves
// on the same frame, wherever the set lands against the stream's period; and
// neither a start, a stop nor a seek steps more than the volume ramp does.
#include <cmath>

#include "AudioRig.h"

using namespace audiotest;

namespace {

enum class Order { Play, Stop, Seek };
enum class Lands { BeforeRender, BetweenSources, AfterRender };

// The write cursors (frames mixed since the buffer's start) of every buffer.
std::vector<DWORD> Cursors(const std::vector<BufferPtr>& buffers) {
    std::vector<DWORD> out;
    for (auto& b : buffers) {
        DWORD play = 0, write = 0;
        b->GetCurrentPosition(&play, &write);
        out.push_back(write);
    }
    return out;
}

TEST(Commit, EveryBufferOfAStreamTakesTheSetOnOneFrame) {
    const Order orders[] = {Order::Play, Order::Stop, Order::Seek};
    const Lands lands[] = {Lands::BeforeRender, Lands::BetweenSources, Lands::AfterRender};
    constexpr int kBuffers = 4;  // two on each of two device objects of one output
    for (Order order : orders)
        for (Lands land : lands)
            for (int split = 0; split <= kBuffers; ++split) {
                Rig rig;
                IDirectSound8* second = nullptr;
                ASSERT_EQ(DS_OK, DirectSoundCreate8(&rig.vb->Id(0), &second, nullptr));
                std::vector<BufferPtr> buffers;
                for (int i = 0; i < kBuffers; ++i) {
                    IDirectSound8* ds = i < 2 ? rig.ds : second;
                    WAVEFORMATEX w = Format(1, 44100, 16);
                    DSBUFFERDESC d{36, DSBCAPS_CTRLVOLUME, 2000 * 2, 0, &w, GUID_NULL};
                    IDirectSoundBuffer* b = nullptr;
                    ASSERT_EQ(DS_OK, ds->CreateSoundBuffer(&d, &b, nullptr));
                    buffers.emplace_back(b);
                    if (order != Order::Play) b->Play(0, 0, DSBPLAY_LOOPING);
                }
                rig.Render(100);
                auto command = [&](int from, int to) {
                    for (int i = from; i < to; ++i) {
                        IDirectSoundBuffer* b = buffers[i].get();
                        if (order == Order::Play) b->Play(0, 0, DSBPLAY_LOOPING);
                        if (order == Order::Stop) b->Stop();
                        if (order == Order::Seek) b->SetCurrentPosition(500 * 2);
                    }
                };
                // The first `split` buffers are commanded before the period
                // starts; the rest land before it, between its sources or after it.
                DirectSoundBeginDeferred();
                command(0, split);
                auto rest = [&] {
                    command(split, kBuffers);
                    DirectSoundCommitDeferred();
                };
                if (land == Lands::BeforeRender) rest();
                if (land == Lands::BetweenSources)
                    rig.vb->SetSourceHook([&](int source) {
                        if (source == 1) rest();
                    });
                rig.Render(64);
                rig.vb->SetSourceHook(nullptr);
                if (land == Lands::AfterRender) rest();
                rig.Render(kRamp + 64);
                const auto cursors = Cursors(buffers);
                for (int i = 1; i < kBuffers; ++i)
                    ASSERT_EQ(cursors[i], cursors[0]) << "order " << int(order) << ", lands " << int(land)
                                                      << ", split " << split << ", buffer " << i;
                buffers.clear();
                second->Release();
            }
}

TEST(Commit, OnlyTheOutermostCommitHandsTheSetOver) {
    Rig rig;
    auto b = rig.Mono16(std::vector<std::int16_t>(1000, 1000));
    {
        CDeferredCommands outer;
        {
            CDeferredCommands inner;
            b->Play(0, 0, DSBPLAY_LOOPING);
        }
        for (float x : rig.Render(64)) ASSERT_EQ(x, 0.0f) << "held back until the outer commit";
        DWORD status = 0;
        b->GetStatus(&status);
        EXPECT_EQ(status & DSBSTATUS_PLAYING, DSBSTATUS_PLAYING) << "reads as commanded";
    }
    rig.Render(kRamp);
    EXPECT_EQ(rig.Render16(1)[0], 1000);
    DirectSoundCommitDeferred();  // an unmatched commit is ignored
    b->Stop();
    rig.Render(kRamp);
    EXPECT_EQ(rig.Render16(1)[0], 0) << "single calls take effect at the next period";
}

// A full-scale signal, +1 in its first half and -1 in its second: a seek from
// one half to the other, a start or a stop without a fade would step by 1 or 2.
TEST(Commit, StartsStopsAndSeeksStepNoMoreThanTheRamp) {
    struct Case {
        const char* what;
        bool playing;  // before the action
        Order action;
        float settled;  // the output once the action is over
    } cases[] = {
        {"start", false, Order::Play, 32767 / 32768.0f},
        {"stop", true, Order::Stop, 0.0f},
        {"seek", true, Order::Seek, -32767 / 32768.0f},
    };
    const float bound = 1.0f / kRamp + 1e-6f;  // the ramp's step from silence to full scale
    for (const Case& c : cases) {
        Rig rig;
        std::vector<std::int16_t> s(4000, 32767);
        std::fill(s.begin() + 2000, s.end(), -32767);
        auto b = rig.Mono16(s);
        if (c.playing) b->Play(0, 0, DSBPLAY_LOOPING);
        rig.Render(kRamp + 100);
        if (c.action == Order::Play) b->Play(0, 0, DSBPLAY_LOOPING);
        if (c.action == Order::Stop) b->Stop();
        if (c.action == Order::Seek) b->SetCurrentPosition(3000 * 2);
        const DWORD heard = PlayCursor(b.get());
        auto out = rig.Render(3 * kRamp);
        float prev = c.playing ? 32767 / 32768.0f : 0.0f;
        for (std::size_t i = 0; i < out.size(); ++i) {
            ASSERT_LE(std::fabs(out[i] - prev), bound) << c.what << " at frame " << i;
            prev = out[i];
        }
        EXPECT_EQ(out.back(), c.settled) << c.what;
        DWORD status = 0;
        b->GetStatus(&status);
        EXPECT_EQ(status != 0, c.action != Order::Stop) << c.what;
        if (c.action == Order::Seek) {
            EXPECT_EQ(heard, 3000u * 2) << "a seek reads back as asked at once";
            EXPECT_EQ(PlayCursor(b.get()), (3000u + 2 * kRamp) * 2) << "it jumps once the fade-out is over";
        }
        if (c.action == Order::Stop) {
            EXPECT_EQ(PlayCursor(b.get()), (kRamp + 100 + kRamp) * 2) << "where it stopped";
        }
    }
}

}  // namespace

// Commands issued together land on one frame of every buffer of a stream,
// wherever the set falls against the stream's periods; no start, stop or seek
// steps more than the volume ramp.
#include <cmath>

#include "AudioRig.h"

using namespace audiotest;

namespace {

enum class Act { Play, Stop, Seek };

void Do(Act act, IDirectSoundBuffer* b) {
    if (act == Act::Play) b->Play(0, 0, DSBPLAY_LOOPING);
    if (act == Act::Stop) b->Stop();
    if (act == Act::Seek) b->SetCurrentPosition(3000 * 2);
}

// Two buffers on each of two device objects of one output. The first `split`
// are commanded before a period (in a nested bracket), the rest land before
// it (0), between its two sources (1) or after it (2).
TEST(Commit, EveryBufferOfAStreamTakesTheSetOnOneFrame) {
    for (Act act : {Act::Play, Act::Stop, Act::Seek})
        for (int land = 0; land < 3; ++land)
            for (int split = 0; split <= 4; ++split) {
                Rig rig;
                IDirectSound8* second = nullptr;
                ASSERT_EQ(DS_OK, DirectSoundCreate8(&rig.vb->Id(0), &second, nullptr));
                std::vector<BufferPtr> b;
                for (int i = 0; i < 4; ++i) {
                    if (i == 2) std::swap(rig.ds, second);
                    b.push_back(rig.Mono16(std::vector<std::int16_t>(4000)));
                    if (act != Act::Play) b.back()->Play(0, 0, DSBPLAY_LOOPING);
                }
                std::swap(rig.ds, second);
                rig.Render(100);
                auto rest = [&] {
                    for (int i = split; i < 4; ++i) Do(act, b[i].get());
                    DirectSoundCommitDeferred();
                };
                DirectSoundBeginDeferred();
                {
                    CDeferredCommands inner;  // only the outermost commit hands the set over
                    for (int i = 0; i < split; ++i) Do(act, b[i].get());
                }
                if (land == 0) rest();
                if (land == 1) {
                    rig.vb->SetSourceHook([&](int source) {
                        if (source == 1) rest();
                    });
                }
                rig.Render(64);
                rig.vb->SetSourceHook(nullptr);
                if (land == 2) rest();
                rig.Render(kRamp + 64);
                for (auto& x : b)
                    ASSERT_EQ(PlayCursor(x.get()), PlayCursor(b[0].get()))
                        << "act " << int(act) << ", lands " << land << ", split " << split;
                b.clear();
                second->Release();
            }
}

// A full-scale signal, +1 in its first half and -1 in its second: without a
// fade a start or a stop would step by 1, a seek across by 2.
TEST(Commit, StartsStopsAndSeeksStepNoMoreThanTheRamp) {
    const float full = 32767 / 32768.0f;
    struct Case {
        Act act;
        float before, after;  // the output before and once the action is over
        DWORD cursor;         // frames, once over
    } cases[] = {
        {Act::Play, 0, full, 3 * kRamp}, {Act::Stop, full, 0, 228 + kRamp}, {Act::Seek, full, -full, 3000 + 2 * kRamp}};
    for (const Case& c : cases) {
        Rig rig;
        std::vector<std::int16_t> s(4000, 32767);
        std::fill(s.begin() + 2000, s.end(), -32767);
        auto b = rig.Mono16(s);
        if (c.act != Act::Play) b->Play(0, 0, DSBPLAY_LOOPING);
        rig.Render(228);
        Do(c.act, b.get());
        EXPECT_EQ(PlayCursor(b.get()) == 3000u * 2, c.act == Act::Seek) << "a seek reads back at once";
        float prev = c.before;
        for (float x : rig.Render(3 * kRamp)) {
            ASSERT_LE(std::fabs(x - prev), 1.0f / kRamp + 1e-6f) << int(c.act);
            prev = x;
        }
        EXPECT_EQ(prev, c.after) << int(c.act);
        EXPECT_EQ(PlayCursor(b.get()), c.cursor * 2) << int(c.act);
    }
}

}  // namespace

// Sound buffers on the hand-stepped device: what comes out, sample by sample where exact;
// the position notifications as a play-notify thread sees them; and a render that never
// finishes (an audio thread stuck or gone mid-render).
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

#include "sound/sound_device.h"
#include "support/sound_signals.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

std::shared_ptr<SoundDevice> steppedDevice(int maxChannels = 2, int period = 256) {
    return SoundDevice::open(steppedDeviceInfo("stepped:test", "Test Device", maxChannels), period, nullptr);
}

std::unique_ptr<SoundBuffer> filledBuffer(SoundDevice& device, const std::vector<std::int16_t>& samples,
                                          int frequency = 44100, std::uint32_t mask = kFrontPair) {
    auto buffer = device.createBuffer({frequency, mask});
    buffer->write(0, samples.data(), static_cast<int>(samples.size()));
    return buffer;
}

// Renders `frames` frames in steps of `block` and concatenates them.
std::vector<std::int16_t> render(SoundDevice& device, int frames, int block) {
    std::vector<std::int16_t> all;
    while (frames > 0) {
        const auto part = stepSoundDevice(device, std::min(block, frames));
        all.insert(all.end(), part.begin(), part.end());
        frames -= block;
    }
    return all;
}

// An effect chain that runs `body` on each block and counts its own destruction.
class FunctionChain : public AudioEffectChain {
public:
    explicit FunctionChain(std::function<void(float*, int)> body, std::atomic<int>* destroyed = nullptr)
        : body_(std::move(body)), destroyed_(destroyed) {}
    ~FunctionChain() override {
        if (destroyed_) ++*destroyed_;
    }
    void process(float* samples, int frames) noexcept override { body_(samples, frames); }
    void reset() noexcept override {}

private:
    std::function<void(float*, int)> body_;
    std::atomic<int>* destroyed_;
};

// Scales both channels by `gain`.
std::unique_ptr<FunctionChain> gainChain(float gain, std::atomic<int>* destroyed) {
    return std::make_unique<FunctionChain>(
        [gain](float* samples, int frames) {
            for (int i = 0; i < frames * 2; ++i) samples[i] *= gain;
        },
        destroyed);
}

// Both sides on cores of their own, so the woken side really watches while the other works.
bool pinTo(std::thread::native_handle_type thread, int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return pthread_setaffinity_np(thread, sizeof set, &set) == 0;
}

}  // namespace

TEST(SoundBufferTest, PlaysSamplesUnchangedAtFullVolumeAndLoops) {
    const auto chunk = soundNoise(2940, 1, 32767);
    for (int period : {128, 256}) {
        for (int block : {1, 100, 256, 1000}) {
            auto device = steppedDevice(2, period);
            auto buffer = filledBuffer(*device, chunk);
            // The rest of the ring is silent; put the chunk at the very end too, to check the wrap.
            buffer->write(kSoundBufferBytes - 400, chunk.data(), 200);
            buffer->setPlayCursor(kSoundBufferBytes - 400);
            buffer->play();
            const auto out = render(*device, 100 + 2940, block);
            ASSERT_TRUE(std::equal(chunk.begin(), chunk.begin() + 200, out.begin())) << period << "/" << block;
            ASSERT_TRUE(std::equal(chunk.begin(), chunk.end(), out.begin() + 200)) << period << "/" << block;
            EXPECT_EQ(buffer->playCursor(), 2940 * 4);
        }
    }
}

// Samples are stored four to a word: writes that start or end inside a word, or wrap at
// the end of the ring, change exactly the samples they cover.
TEST(SoundBufferTest, WritesAtAnySampleOffsetKeepTheirNeighbours) {
    auto device = steppedDevice();
    auto buffer = device->createBuffer({44100, kFrontPair});
    const auto noise = soundNoise(8, 2, 30000);  // 16 samples
    constexpr int kSamples = kSoundBufferBytes / 2;
    std::vector<std::int16_t> expected(kSamples, 0);
    auto writeBoth = [&](int sample, int count) {
        buffer->write(2 * sample, noise.data(), count);
        for (int i = 0; i < count; ++i) expected[(sample + i) % kSamples] = noise[i];
    };
    writeBoth(1, 2);
    writeBoth(6, 13);
    writeBoth(kSamples - 3, 9);
    writeBoth(40, 16);
    std::vector<std::int16_t> back(64);
    for (int start : {0, 32, kSamples - 32}) {
        buffer->read(2 * start, back.data(), 64);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(back[i], expected[(start + i) % kSamples]) << start + i;
    }
}

// A block no buffer adds to comes out as zeros, and what played before it leaves nothing
// behind on the mixing bus for the next buffer to start.
TEST(SoundBufferTest, SilentBlocksBetweenBuffersLeaveNothingBehind) {
    auto device = steppedDevice();
    const auto first = soundNoise(2000, 3, 30000), second = soundNoise(2000, 4, 30000);
    auto a = filledBuffer(*device, first);
    auto b = filledBuffer(*device, second);
    a->play();
    render(*device, 300, 256);
    a->stop();
    const auto silent = render(*device, 300, 100);
    EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](std::int16_t v) { return v == 0; }));
    b->play();
    const auto out = render(*device, 1000, 300);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), second.begin()));
}

TEST(SoundBufferTest, VolumeAndPanFollowTheirDecibelLaws) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, std::vector<std::int16_t>(2 * 4096, 20000));
    buffer->play();
    struct Case {
        int volume, pan;
        double left, right;
    };
    const Case cases[] = {
        {0, 0, 1.0, 1.0},
        {-2800, 0, std::pow(10, -1.4), std::pow(10, -1.4)},
        {-5600, 0, std::pow(10, -2.8), std::pow(10, -2.8)},
        {-10000, 0, 0, 0},
        {0, 2500, std::pow(10, -1.25), 1.0},  // right of centre: left side down 25 dB
        {0, -10000, 1.0, 0.0},                // hard left: right side silent
        {-2800, 10000, 0.0, std::pow(10, -1.4)},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(buffer->setVolume(c.volume), kSoundOk);
        ASSERT_EQ(buffer->setPan(c.pan), kSoundOk);
        stepSoundDevice(*device, 256);  // the ramp to the new gains
        const auto out = stepSoundDevice(*device, 64);
        EXPECT_NEAR(out[0], 20000 * c.left, 0.6) << c.volume << "/" << c.pan;
        EXPECT_NEAR(out[1], 20000 * c.right, 0.6) << c.volume << "/" << c.pan;
        EXPECT_EQ(out[0], out[126]);
    }
    EXPECT_EQ(buffer->setVolume(1), kSoundInvalidParam);  // refused, previous kept
    EXPECT_EQ(buffer->setPan(10001), kSoundInvalidParam);
    EXPECT_EQ(buffer->volume(), -2800);
    EXPECT_EQ(buffer->pan(), 10000);
}

TEST(SoundBufferTest, GainChangesRampWithinOnePeriodWithoutSteps) {
    auto device = steppedDevice(2, 128);
    auto buffer = filledBuffer(*device, std::vector<std::int16_t>(2 * 4096, 16000));
    buffer->play();
    stepSoundDevice(*device, 128);
    buffer->setVolume(-2000);  // to a tenth
    const auto out = stepSoundDevice(*device, 128);
    for (int n = 1; n < 128; ++n) EXPECT_LE(std::abs(out[2 * n] - out[2 * n - 2]), 120) << n;
    EXPECT_NEAR(out[2 * 127], 1600, 1);  // reached by the end of the period
}

TEST(SoundBufferTest, FrequencyRaisesPitchByItsRatio) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, soundSine(kSoundBufferFrames, 1000.0, 44100, 12000));
    buffer->setFrequency(47628);  // +8 %
    buffer->play();
    stepSoundDevice(*device, 512);
    const auto out = stepSoundDevice(*device, 16384);
    EXPECT_NEAR(soundMeasureFrequency(soundChannel(out, 2, 0), 44100), 1080.0, 0.5);
    EXPECT_EQ(buffer->setFrequency(50), kSoundInvalidParam);
    EXPECT_EQ(buffer->frequency(), 47628);
}

TEST(SoundBufferTest, NotificationsFireOncePerChunkBoundaryAtTheOffsets) {
    auto device = steppedDevice(2, 128);
    auto buffer = filledBuffer(*device, {});
    Event event = Event::create(Event::Reset::manual, false);
    ASSERT_EQ(buffer->setNotificationPositions(event, soundChunkEnds()), kSoundOk);
    buffer->play();
    stepSoundDevice(*device, 2939);
    EXPECT_FALSE(event.isSet());
    stepSoundDevice(*device, 1);  // the cursor passes byte 11759
    EXPECT_TRUE(event.isSet());
    event.reset();
    // Over 3 more chunks in blocks of 97 frames: exactly one set per boundary, each in the
    // block that contains it.
    int fired = 0;
    for (int frame = 2940; frame < 4 * 2940; frame += 97) {
        const int block = std::min(97, 4 * 2940 - frame);
        stepSoundDevice(*device, block);
        const bool crossed = (frame + block) / 2940 != frame / 2940;
        EXPECT_EQ(event.isSet(), crossed) << frame;
        if (event.isSet()) ++fired;
        event.reset();
    }
    EXPECT_EQ(fired, 3);
    // The last chunk's notification fires on the wrap to 0.
    buffer->stop();
    buffer->setPlayCursor(kSoundBufferBytes - 8);
    buffer->play();
    stepSoundDevice(*device, 1);
    EXPECT_FALSE(event.isSet());
    stepSoundDevice(*device, 1);
    EXPECT_TRUE(event.isSet());
}

TEST(SoundBufferTest, CursorStopsWhereStoppedAndSeeksAreSeenAtOnce) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, {});
    EXPECT_EQ(buffer->setPlayCursor(35000), kSoundOk);
    EXPECT_EQ(buffer->playCursor(), 35000);  // before the audio thread took it
    buffer->play();
    stepSoundDevice(*device, 100);
    EXPECT_EQ(buffer->playCursor(), 35400);
    buffer->stop();
    stepSoundDevice(*device, 100);
    EXPECT_EQ(buffer->playCursor(), 35400);
    EXPECT_FALSE(buffer->isPlaying());
    EXPECT_EQ(buffer->setPlayCursor(kSoundBufferBytes), kSoundInvalidParam);
}

TEST(SoundBufferTest, FadesFollowTheCurveForAtLeastFiftyMilliseconds) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, std::vector<std::int16_t>(2 * 20000, 30000));
    buffer->setVolume(-600);
    EXPECT_EQ(buffer->fadeOutAndStop(), kSoundWrongState);  // not playing: nothing changes
    ASSERT_EQ(buffer->playWithFadeIn(), kSoundOk);
    EXPECT_EQ(buffer->playWithFadeIn(), kSoundWrongState);
    EXPECT_EQ(buffer->volume(), -600);
    const int fadeFrames = 2205;  // 50 ms at 44100
    const auto in = stepSoundDevice(*device, fadeFrames + 200);
    const double full = 30000 * std::pow(10, -600 / 2000.0);
    for (int n = 0; n < fadeFrames; n += 49) {
        const double volume = 9400 * (1 - std::exp(-3.0 * n / fadeFrames)) - 10000;
        EXPECT_NEAR(in[2 * n], 30000 * std::pow(10, volume / 2000), 1.0 + 0.002 * full) << n;
    }
    EXPECT_LT(in[2 * (fadeFrames - 1)], full * 0.95);  // not at full volume before 50 ms
    EXPECT_NEAR(in[2 * (fadeFrames + 199)], full, 1.0);
    for (int n = 1; n < fadeFrames + 200; ++n) EXPECT_GE(in[2 * n], in[2 * n - 2]) << n;

    ASSERT_EQ(buffer->fadeOutAndStop(), kSoundOk);
    EXPECT_FALSE(buffer->isPlaying());
    const auto out = stepSoundDevice(*device, fadeFrames + 200);
    for (int n = 0; n < fadeFrames; n += 49) {
        const double volume = 9400 * std::exp(-3.0 * n / fadeFrames) - 10000;
        EXPECT_NEAR(out[2 * n], 30000 * std::pow(10, volume / 2000), 1.0 + 0.002 * full) << n;
    }
    EXPECT_GT(out[2 * (fadeFrames - 100)], 0);
    EXPECT_EQ(out[2 * (fadeFrames + 199)], 0);
    EXPECT_EQ(buffer->volume(), -600);  // the fade never touched the volume itself
}

// Front and rear pairs on a four-channel stream are checked through the split outputs.
TEST(SoundBufferTest, TwoChannelDeviceOpensWithTwoAndFoldsTheRearPairOntoTheFront) {
    auto two = steppedDevice(2);  // refuses four channels
    ASSERT_TRUE(two);
    EXPECT_EQ(two->channels(), 2);
    auto folded = filledBuffer(*two, std::vector<std::int16_t>(2 * 1000, -2000), 44100, kRearPair);
    folded->play();
    EXPECT_EQ(stepSoundDevice(*two, 1)[0], -2000);
}

TEST(SoundBufferTest, SumClipsToSixteenBitsAndLineVolumesScaleEachSide) {
    auto device = steppedDevice();
    auto a = filledBuffer(*device, std::vector<std::int16_t>(2 * 1000, 30000));
    auto b = filledBuffer(*device, std::vector<std::int16_t>(2 * 1000, 30000));
    a->play();
    b->play();
    EXPECT_EQ(stepSoundDevice(*device, 1)[0], 32767);
    b->stop();
    device->mixer().volumes().set(VolumeLine::speakers, 65535, 32767);
    device->mixer().volumes().set(VolumeLine::wave, 32767, 32767);
    stepSoundDevice(*device, 256);
    const auto out = stepSoundDevice(*device, 1);
    EXPECT_NEAR(out[0], 30000 * 32767.0 / 65535, 1);
    EXPECT_NEAR(out[1], 30000 * (32767.0 / 65535) * (32767.0 / 65535), 1);
}

TEST(SoundBufferTest, EffectChainsBlendInWhilePlayingAndAreFreedOnceLetGo) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, std::vector<std::int16_t>(2 * 1000, 1000));
    const int blend = 44100 * SoundBuffer::kChainBlendMilliseconds / 1000;
    std::atomic<int> destroyed{0};
    buffer->play();
    stepSoundDevice(*device, 10);
    buffer->swapEffectChain(gainChain(2.0f, &destroyed));
    const int channels = device->channels();
    auto out = stepSoundDevice(*device, blend + 10);
    EXPECT_NEAR(out[0], 1000, 10);  // from the dry signal ...
    EXPECT_NEAR(out[channels * (blend / 2)], 1500, 10);
    EXPECT_EQ(out[channels * (blend + 5)], 2000);  // ... to the chain's output, in even steps
    for (int n = 1; n < blend + 10; ++n) ASSERT_LE(std::abs(out[channels * n] - out[channels * (n - 1)]), 6) << n;

    buffer->swapEffectChain(gainChain(0.5f, &destroyed));
    stepSoundDevice(*device, blend / 2);
    EXPECT_EQ(buffer->releaseRetiredEffectChains(), 1);  // still blending out
    EXPECT_EQ(destroyed, 0);
    stepSoundDevice(*device, blend);
    EXPECT_EQ(buffer->releaseRetiredEffectChains(), 0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(stepSoundDevice(*device, 1)[0], 500);

    buffer->stop();  // a stopped buffer switches at once
    buffer->swapEffectChain(nullptr);
    stepSoundDevice(*device, 1);
    buffer->play();
    EXPECT_EQ(stepSoundDevice(*device, 1)[0], 1000);
    EXPECT_EQ(buffer->releaseRetiredEffectChains(), 0);
    EXPECT_EQ(destroyed, 2);
}

TEST(SoundBufferTest, CommandsPilingUpOnAnUnsteppedDeviceFailInsteadOfHanging) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, {});
    int refused = 0;
    for (int i = 0; i < 300; ++i)
        if (buffer->setPlayCursor(4 * i) != kSoundOk) ++refused;
    EXPECT_EQ(refused, 300 - 256);
    EXPECT_EQ(buffer->playCursor(), 4 * 255);  // the last accepted seek
    stepSoundDevice(*device, 1);
    EXPECT_EQ(buffer->setPlayCursor(8), kSoundOk);
}

// The woken side always finds the announced chunk's end in the cursor.
TEST(NotificationOrderThreadTest, WokenSideAlwaysSeesTheAnnouncedChunkInTheCursor) {
    auto device = steppedDevice();
    auto buffer = filledBuffer(*device, {});
    Event event = Event::create(Event::Reset::manual, false);
    ASSERT_EQ(buffer->setNotificationPositions(event, soundChunkEnds()), kSoundOk);
    buffer->play();

    // The stepping thread plays the audio thread: one chunk per round, then it waits for the
    // woken side. The woken side spins on the event, so it looks at the cursor the moment
    // the event is set, before anything the audio thread does after setting it.
    constexpr int kRounds = 400;
    std::atomic<int> acknowledged{0};
    std::thread audio([&] {
        for (int round = 0; round < kRounds; ++round) {
            stepSoundDevice(*device, 2940);
            while (acknowledged.load(std::memory_order_acquire) <= round) std::this_thread::yield();
        }
    });
    cpu_set_t everywhere;
    pthread_getaffinity_np(pthread_self(), sizeof everywhere, &everywhere);
    if (std::thread::hardware_concurrency() >= 2) {
        pinTo(audio.native_handle(), 0);
        pinTo(pthread_self(), 1);
    }
    int stale = 0;
    for (int round = 0; round < kRounds; ++round) {
        while (!event.isSet()) {}
        const int announcedEnd = ((round + 1) % 120) * 11760;
        if (buffer->playCursor() != announcedEnd) ++stale;
        event.reset();
        acknowledged.store(round + 1, std::memory_order_release);
    }
    audio.join();
    pthread_setaffinity_np(pthread_self(), sizeof everywhere, &everywhere);
    EXPECT_EQ(stale, 0) << "of " << kRounds << " wake-ups read the cursor of the chunk before";
}

// Nothing a stuck render reads is freed under it, and nothing on the window thread waits for
// it without a bound.
TEST(DeviceLossThreadTest, BufferDeletedUnderAStuckRenderIsParkedNotFreed) {
    auto device = steppedDevice();
    std::atomic<bool> entered{false}, release{false};
    std::atomic<int> destroyed{0};
    auto buffer = filledBuffer(*device, std::vector<std::int16_t>(2 * 2940, 1000));
    // Holds the render inside the buffer's effect chain until released.
    buffer->swapEffectChain(std::make_unique<FunctionChain>(
        [&](float*, int) {
            entered = true;
            while (!release) std::this_thread::sleep_for(1ms);
        },
        &destroyed));
    buffer->play();
    std::thread audio([&] { stepSoundDevice(*device, 256); });
    while (!entered) std::this_thread::sleep_for(1ms);

    device->markLost();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(device->mixer().waitUntilQuiescent());
    buffer.reset();  // the render still holds it
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(destroyed, 0) << "the chain the render runs was freed under it";

    release = true;  // the render finishes, reading the buffer it was given
    audio.join();
    EXPECT_EQ(device->mixer().releaseParked(), 0);
    EXPECT_EQ(destroyed, 1);
    device.reset();
}

#ifndef NDEBUG
TEST(SoundBufferDeathTest, BlockingCallsFromTheRenderAbortInDebugBuilds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto device = steppedDevice();
            auto buffer = filledBuffer(*device, {});
            // A chain that, against the rules, asks its buffer for a transport change.
            SoundBuffer* raw = buffer.get();
            buffer->swapEffectChain(std::make_unique<FunctionChain>([raw](float*, int) { raw->stop(); }));
            buffer->play();
            stepSoundDevice(*device, 1);
        },
        "called on the audio thread");
}
#endif

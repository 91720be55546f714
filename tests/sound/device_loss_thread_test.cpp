// A render that never finishes (an audio thread stuck or gone mid-render): nothing it reads
// is freed under it, and nothing on the window thread waits for it without a bound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "sound/sound_device.h"

using namespace quillmix;
using namespace std::chrono_literals;

namespace {

// Holds the render inside the buffer's effect chain until released.
class HoldingChain : public AudioEffectChain {
public:
    HoldingChain(std::atomic<bool>& entered, std::atomic<bool>& release, std::atomic<int>& destroyed)
        : entered_(entered), release_(release), destroyed_(destroyed) {}
    ~HoldingChain() override { ++destroyed_; }
    void process(float*, int) noexcept override {
        entered_ = true;
        while (!release_) std::this_thread::sleep_for(1ms);
    }
    void reset() noexcept override {}

private:
    std::atomic<bool>& entered_;
    std::atomic<bool>& release_;
    std::atomic<int>& destroyed_;
};

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(DeviceLossThreadTest, BufferDeletedUnderAStuckRenderIsParkedNotFreed) {
    auto device = SoundDevice::open(steppedDeviceInfo("stepped:stuck", "Stuck Device", 2), 256, nullptr);
    ASSERT_TRUE(device);
    std::atomic<bool> entered{false}, release{false};
    std::atomic<int> destroyed{0};
    auto buffer = device->createBuffer({44100, kFrontPair});
    std::vector<std::int16_t> tone(2 * 2940, 1000);
    buffer->write(0, tone.data(), static_cast<int>(tone.size()));
    buffer->swapEffectChain(std::make_unique<HoldingChain>(entered, release, destroyed));
    buffer->play();
    std::thread audio([&] { stepSoundDevice(*device, 256); });
    while (!entered) std::this_thread::sleep_for(1ms);

    device->markLost();
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(device->mixer().waitUntilQuiescent());
    buffer.reset();  // the render still holds it
    EXPECT_LT(millisecondsSince(start), 500);
    EXPECT_EQ(destroyed, 0) << "the chain the render runs was freed under it";

    release = true;  // the render finishes, reading the buffer it was given
    audio.join();
    EXPECT_EQ(device->mixer().releaseParked(), 0);
    EXPECT_EQ(destroyed, 1);
    device.reset();
}

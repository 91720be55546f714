// The position notifications as a play-notify thread sees them: when it wakes, the cursor
// already shows the chunk whose end woke it.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <thread>

#include "sound/sound_device.h"

using namespace quillmix;

namespace {

// Both sides on cores of their own, so the woken side really watches while the other works.
bool pinTo(std::thread::native_handle_type thread, int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return pthread_setaffinity_np(thread, sizeof set, &set) == 0;
}

}  // namespace

TEST(NotificationOrderThreadTest, WokenSideAlwaysSeesTheAnnouncedChunkInTheCursor) {
    auto device = SoundDevice::open(steppedDeviceInfo("stepped:order", "Order Device", 2), 256, nullptr);
    ASSERT_TRUE(device);
    auto buffer = device->createBuffer({44100, kFrontPair});
    Event event = Event::create(Event::Reset::manual, false);
    std::vector<int> offsets;
    for (int i = 0; i < 120; ++i) offsets.push_back(i * 11760 + 11759);
    ASSERT_EQ(buffer->setNotificationPositions(event, offsets), kSoundOk);
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
    cpu_set_t all;
    CPU_ZERO(&all);
    for (unsigned cpu = 0; cpu < std::thread::hardware_concurrency(); ++cpu) CPU_SET(cpu, &all);
    pthread_setaffinity_np(pthread_self(), sizeof all, &all);
    EXPECT_EQ(stale, 0) << "of " << kRounds << " wake-ups read the cursor of the chunk before";
}

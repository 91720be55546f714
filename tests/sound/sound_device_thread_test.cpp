// Clocked devices with real threads: the recorder's own timer, fades that keep the window
// thread dispatching, and the WAV file of everything played.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/messaging.h"
#include "sound/sound_system.h"
#include "support/sound_signals.h"
#include "support/temp_dir.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

SoundSystemOptions recorderOptions(const std::string& wav = {}, int period = 256) {
    SoundSystemOptions o;
    o.forceRecorder = true;
    o.recordWavPath = wav;
    o.periodFrames = period;
    return o;
}

// Counts the sets of a manual-reset event on a thread of its own, as the notify threads do.
class EventCounter {
public:
    explicit EventCounter(Event e) : event_(std::move(e)), thread_([this] { run(); }) {}
    ~EventCounter() {
        running_ = false;
        thread_.join();
    }
    int count() const { return count_.load(); }

private:
    void run() {
        while (running_) {
            if (event_.wait(20ms) == WaitResult::signaled) {
                event_.reset();
                ++count_;
            }
        }
    }
    Event event_;
    std::atomic<bool> running_{true};
    std::atomic<int> count_{0};
    std::thread thread_;
};

class ReentrantWindow : public MessageWindow {
public:
    MessageResult handleMessage(unsigned, WParam, LParam) override {
        ++handled;
        if (action) action();
        return 0;
    }
    int handled = 0;
    std::function<void()> action;
};

std::vector<std::int16_t> readWav(const std::string& path, int& channels, int& rate) {
    std::ifstream f(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), {});
    if (bytes.size() < 44) return {};
    auto u16 = [&](int at) {
        return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    channels = u16(22);
    rate = u16(24) | (u16(26) << 16);
    const std::uint32_t dataBytes = u16(40) | (static_cast<std::uint32_t>(u16(42)) << 16);
    std::vector<std::int16_t> samples(dataBytes / 2);
    for (std::size_t i = 0; i < samples.size() && 44 + 2 * i + 1 < bytes.size(); ++i)
        samples[i] = static_cast<std::int16_t>(u16(static_cast<int>(44 + 2 * i)));
    return samples;
}

// Index of the first frame where channel `channel` of `samples` begins with `pattern`'s left channel.
long findChannel(const std::vector<std::int16_t>& samples, int channels, int channel,
                 const std::vector<std::int16_t>& pattern) {
    const long frames = static_cast<long>(samples.size()) / channels;
    const long length = static_cast<long>(pattern.size()) / 2;
    for (long start = 0; start + length <= frames; ++start) {
        long i = 0;
        while (i < length && samples[(start + i) * channels + channel] == pattern[2 * i]) ++i;
        if (i == length) return start;
    }
    return -1;
}

}  // namespace

TEST(RecorderDeviceThreadTest, OfferedAloneWhenChosenAndWritesAllChannelsToWav) {
    TempDir dir;
    const std::string wav = dir.file("played.wav").string();
    const auto front = soundNoise(2940, 21);
    const auto rear = soundNoise(2940, 22);
    {
        SoundSystem system(recorderOptions(wav));
        const auto devices = system.enumerate();
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0].id, "recorder");
        EXPECT_TRUE(system.canOpenFourChannels("recorder"));
        auto device = system.open("recorder");
        ASSERT_TRUE(device);
        EXPECT_EQ(device->channels(), 4);
        EXPECT_EQ(system.open("recorder"), device);  // one stream for both halves
        auto a = device->createBuffer({44100, kFrontPair});
        auto b = device->createBuffer({44100, kRearPair});
        a->write(4000, front.data(), static_cast<int>(front.size()));
        b->write(8000, rear.data(), static_cast<int>(rear.size()));
        const auto before = device->mixer().framesRendered();
        a->play();
        b->play();
        const auto start = std::chrono::steady_clock::now();
        while (device->mixer().framesRendered() - before < 8000 && std::chrono::steady_clock::now() - start < 5s)
            std::this_thread::sleep_for(5ms);
    }  // closing the device finishes the file
    int channels = 0, rate = 0;
    const auto samples = readWav(wav, channels, rate);
    ASSERT_EQ(channels, 4);
    EXPECT_EQ(rate, 44100);
    const long atFront = findChannel(samples, 4, 0, front);
    const long atRear = findChannel(samples, 4, 2, rear);
    ASSERT_GE(atFront, 0);
    ASSERT_GE(atRear, 0);
    EXPECT_EQ(samples[atFront * 4 + 1], front[1]);
    EXPECT_EQ(samples[atRear * 4 + 3], rear[1]);
}

TEST(RecorderDeviceThreadTest, PlaysInRealTimeWithNotificationsAtChunkPace) {
    SoundSystem system(recorderOptions({}, 128));
    auto device = system.open("recorder");
    ASSERT_TRUE(device);
    auto buffer = device->createBuffer({44100, kFrontPair});
    Event event = Event::create(Event::Reset::manual, false);
    std::vector<int> offsets;
    for (int i = 0; i < 120; ++i) offsets.push_back(i * 11760 + 11759);
    buffer->setNotificationPositions(event, offsets);
    EventCounter counter(event);
    const auto start = std::chrono::steady_clock::now();
    const auto framesBefore = device->mixer().framesRendered();
    buffer->play();
    std::this_thread::sleep_for(1000ms);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(device->mixer().framesRendered() - framesBefore);
    buffer->stop();
    EXPECT_NEAR(frames / seconds, 44100, 44100 * 0.2);
    EXPECT_NEAR(counter.count(), 15 * seconds, 4);  // 15 chunks a second
}

TEST(RecorderDeviceThreadTest, FadesTakeFiftyMillisecondsAndKeepDispatchingMessages) {
    SoundSystem system(recorderOptions());
    auto device = system.open("recorder");
    auto buffer = device->createBuffer({44100, kFrontPair});
    ReentrantWindow window;
    postMessage(window.handle(), WM_APP + 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(buffer->playWithFadeIn(), kSoundOk);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(window.handled, 1);  // dispatched while the fade ran
    EXPECT_TRUE(buffer->isPlaying());

    // A handler run during a fade out may call the buffer again, and even destroy it.
    window.action = [&] {
        EXPECT_EQ(buffer->playWithFadeIn(), kSoundWrongState);  // still playing: refused
        EXPECT_EQ(buffer->fadeOutAndStop(), kSoundOk);          // nested fade, no deadlock
    };
    postMessage(window.handle(), WM_APP + 1);
    EXPECT_EQ(buffer->fadeOutAndStop(), kSoundOk);
    EXPECT_EQ(window.handled, 2);
    EXPECT_FALSE(buffer->isPlaying());

    window.action = [&] { buffer.reset(); };
    buffer->play();
    postMessage(window.handle(), WM_APP + 1);
    SoundBuffer* raw = buffer.get();
    EXPECT_EQ(raw->fadeOutAndStop(), kSoundOk);  // returns although its buffer is gone
    EXPECT_EQ(buffer, nullptr);
}

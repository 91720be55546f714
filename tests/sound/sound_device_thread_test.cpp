// Clocked devices with real threads: the recorder's own timer, fades that keep the window
// thread dispatching, the WAV file of everything played; and, end to end through PortAudio,
// a JACK server on its dummy driver that plays a buffer in real time and dies under a
// playing stream.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/messaging.h"
#include "sound/sound_system.h"
#include "support/message_recorder.h"
#include "support/sound_engine_fixture.h"
#include "support/sound_signals.h"
#include "support/temp_dir.h"

extern char** environ;

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Plays `buffer` for a second with a notification at the end of every chunk, waited for on
// this thread: the device renders in real time and the notifications come at chunk pace.
void expectRealTimePace(SoundDevice& device, SoundBuffer& buffer) {
    Event event = Event::create(Event::Reset::manual, false);
    ASSERT_EQ(buffer.setNotificationPositions(event, soundChunkEnds()), kSoundOk);
    int notifications = 0;
    const auto framesBefore = device.mixer().framesRendered();
    const auto start = std::chrono::steady_clock::now();
    buffer.play();
    while (std::chrono::steady_clock::now() - start < 1s) {
        if (event.wait(20ms) == WaitResult::signaled) {
            event.reset();
            ++notifications;
        }
    }
    const double seconds = millisecondsSince(start) / 1000.0;
    const double frames = static_cast<double>(device.mixer().framesRendered() - framesBefore);
    buffer.stop();
    EXPECT_NEAR(frames / seconds, 44100, 44100 * 0.2);
    EXPECT_NEAR(notifications, 15 * seconds, 4);  // 15 chunks a second
}

// Runs `action`, if any, inside each message it handles.
struct ReentrantWindow : MessageRecorder {
    void answer(unsigned, int, LParam) override {
        if (action) action();
    }
    std::function<void()> action;
};

// The samples of a 16-bit WAV file, whose header must state the sizes the file has.
std::vector<std::int16_t> readWav(const std::string& path, int& channels, int& rate) {
    std::ifstream f(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
    if (b.size() < 44) return {};
    auto le = [&](std::size_t at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
        return v;
    };
    channels = static_cast<int>(le(22, 2));
    rate = static_cast<int>(le(24, 4));
    EXPECT_EQ(le(4, 4), b.size() - 8) << "RIFF size";
    EXPECT_EQ(le(40, 4), b.size() - 44) << "data size";
    std::vector<std::int16_t> samples((b.size() - 44) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(le(44 + 2 * i, 2));
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

std::string findJackd() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(dir) + "/jackd";
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

// jackd on its dummy driver under `name`, its output to `log`; -1 when it cannot be spawned.
pid_t spawnJackd(const std::string& jackd, const std::string& name, const std::string& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<std::string> args = {jackd, "-n", name, "--no-realtime", "-d", "dummy", "-r", "44100", "-p", "256"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, jackd.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

// JACK's table of servers holds eight slots, each a process id and "jack-<uid>:<name>:". A
// server that is killed keeps its slot, and its shared memory, until a server of the same
// name starts again. Returns the slots of this user's servers whose names begin with
// `prefix`, each with the process id it names.
std::vector<std::pair<std::string, pid_t>> jackSlots(const std::string& prefix) {
    std::ifstream f("/dev/shm/jack-shm-registry", std::ios::binary);
    const std::string table((std::istreambuf_iterator<char>(f)), {});
    const std::string tag = "jack-" + std::to_string(getuid()) + ":";
    std::vector<std::pair<std::string, pid_t>> found;
    for (auto at = table.find(tag + prefix); at != std::string::npos; at = table.find(tag + prefix, at + 1)) {
        const auto nameEnd = table.find(':', at + tag.size());
        if (at < sizeof(pid_t) || nameEnd == std::string::npos) continue;
        pid_t pid = 0;
        std::memcpy(&pid, table.data() + at - sizeof(pid_t), sizeof pid);
        found.emplace_back(table.substr(at + tag.size(), nameEnd - at - tag.size()), pid);
    }
    return found;
}

// Takes back the slots of killed test servers, of this run or of earlier ones: each such name
// is started again and stopped cleanly, which frees its slot and its memory.
void reclaimDeadServerSlots(const std::string& jackd, const std::string& log) {
    for (const auto& [name, deadPid] : jackSlots("quillmix")) {
        if (deadPid <= 0 || kill(deadPid, 0) == 0 || errno != ESRCH) continue;
        const pid_t pid = spawnJackd(jackd, name, log);
        if (pid <= 0) continue;
        auto registered = [&, name = name] {
            for (const auto& [n, p] : jackSlots(name))
                if (n == name && p == pid) return true;
            return false;
        };
        for (auto deadline = std::chrono::steady_clock::now() + 5s;
             !registered() && !exited(pid) && std::chrono::steady_clock::now() < deadline;)
            std::this_thread::sleep_for(50ms);
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

// A JACK server on its dummy driver, under a name of its own so that parallel runs do not
// meet, and the PortAudio device that shows it; skipped where jackd is not installed.
class JackServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        jackd_ = findJackd();
        if (jackd_.empty()) GTEST_SKIP() << "jackd is not installed";
        reclaimDeadServerSlots(jackd_, log_);
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        pid_ = spawnJackd(jackd_, name_, log_);
        ASSERT_GT(pid_, 0);
        // Each try initialises PortAudio afresh, until it sees the server.
        for (auto deadline = std::chrono::steady_clock::now() + 20s;
             id.empty() && std::chrono::steady_clock::now() < deadline;) {
            if (exited(pid_)) {
                pid_ = -1;
                break;
            }
            system.reset();  // PortAudio is initialised once per system
            system = std::make_unique<SoundSystem>();
            for (const auto& d : system->enumerate())
                if (d.id.rfind("pa:jack:", 0) == 0) id = d.id;
            if (id.empty()) std::this_thread::sleep_for(200ms);
        }
        if (id.empty()) {
            std::ifstream f(log_);
            const std::string said((std::istreambuf_iterator<char>(f)), {});
            FAIL() << "no JACK device appeared; the server " << (pid_ > 0 ? "runs" : "ended") << " and said:\n" << said;
        }
    }
    void TearDown() override {
        system.reset();
        stopServer(SIGTERM);
        if (jackd_.empty()) return;
        reclaimDeadServerSlots(jackd_, log_);
        // What a client of a killed server leaves behind.
        std::error_code error;
        for (const auto& e : std::filesystem::directory_iterator("/dev/shm", error))
            if (e.path().filename().string().find(name_) != std::string::npos) std::filesystem::remove(e.path(), error);
        unsetenv("JACK_DEFAULT_SERVER");
        unsetenv("JACK_NO_START_SERVER");
    }
    // Ends the server; SIGKILL stands for a crash, with no word to its clients.
    void stopServer(int signal) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    std::unique_ptr<SoundSystem> system;
    std::string id;  // the JACK device's

private:
    // Each test's server its own name: a killed one leaves libjack's client wedged on its name.
    const std::string name_ = "quillmix-" + std::to_string(getpid()) + "-" + std::to_string(++serial_);
    static inline int serial_ = 0;
    TempDir dir_;
    const std::string log_ = dir_.file("jackd.log").string();
    std::string jackd_;
    pid_t pid_ = -1;
};
class PortAudioJackThreadTest : public JackServerTest {};
class PortAudioJackLossTest : public JackServerTest {};

constexpr unsigned kLossMessage = WM_APP + 500;

std::unique_ptr<SoundBuffer> playingTone(SoundDevice& device) {
    auto buffer = device.createBuffer({44100, kFrontPair});
    std::vector<std::int16_t> tone(2 * 2940, 3000);
    for (int c = 0; c < 120; ++c) buffer->write(c * 11760, tone.data(), static_cast<int>(tone.size()));
    buffer->play();
    return buffer;
}

}  // namespace

TEST(RecorderDeviceThreadTest, OfferedAloneWhenChosenAndWritesAllChannelsToWav) {
    TempDir dir;
    const std::string wav = dir.file("played.wav").string();
    const auto front = soundNoise(2940, 21);
    const auto rear = soundNoise(2940, 22);
    {
        auto system = soundRecorderSystem(wav);
        const auto devices = system->enumerate();
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0].id, "recorder");
        EXPECT_TRUE(system->canOpenFourChannels("recorder"));
        auto device = system->open("recorder");
        ASSERT_TRUE(device);
        EXPECT_EQ(device->channels(), 4);
        EXPECT_EQ(system->open("recorder"), device);  // one stream for both halves
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
    auto system = soundRecorderSystem({}, 128);
    auto device = system->open("recorder");
    ASSERT_TRUE(device);
    expectRealTimePace(*device, *device->createBuffer({44100, kFrontPair}));
}

TEST(RecorderDeviceThreadTest, FadesTakeFiftyMillisecondsAndKeepDispatchingMessages) {
    auto system = soundRecorderSystem();
    auto device = system->open("recorder");
    auto buffer = device->createBuffer({44100, kFrontPair});
    ReentrantWindow window;
    postMessage(window.handle(), WM_APP + 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(buffer->playWithFadeIn(), kSoundOk);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(window.log.size(), 1u);  // dispatched while the fade ran
    EXPECT_TRUE(buffer->isPlaying());

    // A handler run during a fade out may call the buffer again, and even destroy it.
    window.action = [&] {
        EXPECT_EQ(buffer->playWithFadeIn(), kSoundWrongState);  // still playing: refused
        EXPECT_EQ(buffer->fadeOutAndStop(), kSoundOk);          // nested fade, no deadlock
    };
    postMessage(window.handle(), WM_APP + 1);
    EXPECT_EQ(buffer->fadeOutAndStop(), kSoundOk);
    EXPECT_EQ(window.log.size(), 2u);
    EXPECT_FALSE(buffer->isPlaying());

    // Both fades return without touching a buffer destroyed meanwhile.
    window.action = [&] { buffer.reset(); };
    buffer->play();
    postMessage(window.handle(), WM_APP + 1);
    EXPECT_EQ(buffer.get()->fadeOutAndStop(), kSoundOk);
    EXPECT_EQ(buffer, nullptr);
    buffer = device->createBuffer({44100, kFrontPair});
    postMessage(window.handle(), WM_APP + 1);
    EXPECT_EQ(buffer.get()->playWithFadeIn(), kSoundOk);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(PortAudioJackThreadTest, BufferPlaysInRealTimeWithNotificationsAtChunkPace) {
    EXPECT_TRUE(system->canCreate(id));
    auto device = system->open(id);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->sampleRate(), 44100);
    expectRealTimePace(*device, *device->createBuffer({44100, kFrontPair}));
}

// The server dies mid-play: the loss is noticed and reported once, nothing waits on the
// dead stream afterwards, and the recorder plays on.
// Not among the ThreadSanitizer suites: the killed server leaves libjack's client thread
// stuck for good, which that sanitizer reports as a leak of ours at exit.
TEST_F(PortAudioJackLossTest, ServerKilledMidPlayIsReportedOnceAndNothingWaitsOnIt) {
    MessageRecorder window;
    system->setLossNotice({window.handle(), kLossMessage});

    auto jack = system->open(id);
    auto recorder = system->open("recorder");
    ASSERT_TRUE(jack && recorder);
    auto jackBuffer = playingTone(*jack);
    auto recorderBuffer = playingTone(*recorder);
    std::this_thread::sleep_for(300ms);
    ASSERT_GT(jack->mixer().framesRendered(), 0u);
    ASSERT_FALSE(jack->lost());

    stopServer(SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    while (!jack->lost() && millisecondsSince(killed) < 5000) dispatchPendingMessages();
    ASSERT_TRUE(jack->lost()) << "the dead stream went unnoticed";
    std::printf("loss noticed %.0f ms after the kill\n", millisecondsSince(killed));

    // From here on no call may wait on the dead stream.
    const auto recorderFrames = recorder->mixer().framesRendered();
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"fade out", [&] { jackBuffer->fadeOutAndStop(); }},
        {"fade in", [&] { jackBuffer->playWithFadeIn(); }},
        {"600 commands",
         [&] {
             for (int i = 0; i < 600; ++i) jackBuffer->setPlayCursor(i * 4);
         }},
        {"quiescence", [&] { jack->mixer().waitUntilQuiescent(); }},
        {"close", [&] { jackBuffer.reset(), jack.reset(); }},
    };
    for (const auto& [what, call] : calls) {
        const auto t = std::chrono::steady_clock::now();
        call();
        EXPECT_LT(millisecondsSince(t), 100) << what;
    }
    letWindowThreadRun(100);
    EXPECT_EQ(window.count(kLossMessage), 1);

    // The other output never stopped.
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(recorder->mixer().framesRendered() - recorderFrames, 44100u / 10);
    EXPECT_FALSE(recorder->lost());

    // A device declared lost is opened afresh, not handed out again. (A JACK server that
    // comes back is not found again in this process: the library's JACK client stays
    // wedged in the dead stream's abort, which is left to itself.)
    recorderBuffer.reset();
    recorder->markLost();
    auto again = system->open("recorder");
    ASSERT_TRUE(again);
    EXPECT_NE(again.get(), recorder.get());
    recorder.reset();
    const auto before = again->mixer().framesRendered();
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(again->mixer().framesRendered(), before);
    again.reset();
}

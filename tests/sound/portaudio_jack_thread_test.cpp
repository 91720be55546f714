// End to end through PortAudio: a JACK server on its dummy driver (started and stopped
// here, under a name of its own so parallel runs do not meet) plays a buffer in real time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "sound/sound_system.h"

extern char** environ;

using namespace quillmix;
using namespace std::chrono_literals;

namespace {

std::string findJackd() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(dir) + "/jackd";
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

class JackDummyServer {
public:
    JackDummyServer(const std::string& jackd, const std::string& name) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> args = {jackd, "-n", name, "--no-realtime", "-d", "dummy", "-r", "44100", "-p", "256"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, jackd.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~JackDummyServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

}  // namespace

TEST(PortAudioJackThreadTest, BufferPlaysInRealTimeWithNotificationsAtChunkPace) {
    const std::string jackd = findJackd();
    if (jackd.empty()) GTEST_SKIP() << "jackd is not installed";
    const std::string name = "quillmix-test-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    JackDummyServer server(jackd, name);
    ASSERT_TRUE(server.started());

    // PortAudio sees JACK only once the server answers; each try initialises afresh.
    std::unique_ptr<SoundSystem> system;
    std::string id;
    for (auto deadline = std::chrono::steady_clock::now() + 10s; id.empty() && std::chrono::steady_clock::now() < deadline;) {
        system.reset();
        system = std::make_unique<SoundSystem>();
        for (const auto& d : system->enumerate())
            if (d.id.rfind("pa:jack:", 0) == 0) id = d.id;
        if (id.empty()) std::this_thread::sleep_for(200ms);
    }
    ASSERT_FALSE(id.empty()) << "no JACK device appeared";
    EXPECT_TRUE(system->canCreate(id));

    auto device = system->open(id);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->sampleRate(), 44100);
    auto buffer = device->createBuffer({44100, kFrontPair});
    std::vector<std::int16_t> tone(2 * 2940, 3000);
    for (int c = 0; c < 120; ++c) buffer->write(c * 11760, tone.data(), static_cast<int>(tone.size()));
    Event event = Event::create(Event::Reset::manual, false);
    std::vector<int> offsets;
    for (int i = 0; i < 120; ++i) offsets.push_back(i * 11760 + 11759);
    buffer->setNotificationPositions(event, offsets);

    int notifications = 0;
    const auto framesBefore = device->mixer().framesRendered();
    const auto start = std::chrono::steady_clock::now();
    buffer->play();
    while (std::chrono::steady_clock::now() - start < 1s) {
        if (event.wait(20ms) == WaitResult::signaled) {
            event.reset();
            ++notifications;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(device->mixer().framesRendered() - framesBefore);
    buffer.reset();
    device.reset();
    system.reset();
    unsetenv("JACK_DEFAULT_SERVER");
    unsetenv("JACK_NO_START_SERVER");
    EXPECT_NEAR(frames / seconds, 44100, 44100 * 0.2);
    EXPECT_NEAR(notifications, 15 * seconds, 4);
}

// The program under a termination signal: it closes in order, so the recorder's WAV file
// ends with a header that counts every frame written. One run records as the environment
// asks (the main output), the other as --record asks, with a path relative to the working
// folder: both outputs, four channels.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

// The little-endian field of `bytes` bytes at `offset` of a WAV file's header.
std::uint32_t headerField(const std::filesystem::path& file, int offset, int bytes = 4) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(offset);
    std::uint32_t value = 0;
    in.read(reinterpret_cast<char*>(&value), bytes);
    return value;
}

// The child's exit status if it ends within `limit`; else it is killed and -1 returned.
int waitForExit(pid_t child, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child) return status;
        std::this_thread::sleep_for(20ms);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return -1;
}

}  // namespace

TEST(TerminationSignalTest, SigtermAndSigintCloseInOrderAndFinaliseTheRecording) {
    const std::string program = std::string(QUILLMIX_TEST_TOOLS_DIR) + "/quillmix";
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "the program is not built here";
    for (int signal : {SIGTERM, SIGINT}) {
        TempDir dir;
        const auto wav = dir.file("mix.wav");
        const bool byOption = signal == SIGINT;
        std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir.path().string(),
                                        "XDG_RUNTIME_DIR=" + dir.path().string(), "HOME=" + dir.path().string()};
        if (!byOption) {
            env.push_back("QUILLMIX_AUDIO_DEVICE=recorder");
            env.push_back("QUILLMIX_RECORD_WAV=" + wav.string());
        }
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "PATH=", 5) == 0 || std::strncmp(*e, "LD_", 3) == 0) env.emplace_back(*e);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string arg0 = program, option = "--record", file = "mix.wav";
        char* argv[] = {arg0.data(), byOption ? option.data() : nullptr, file.data(), nullptr};
        posix_spawn_file_actions_t inFolder;
        posix_spawn_file_actions_init(&inFolder);
        posix_spawn_file_actions_addchdir_np(&inFolder, dir.path().c_str());
        pid_t child = -1;
        ASSERT_EQ(posix_spawn(&child, program.c_str(), &inFolder, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&inFolder);

        // Recording has begun once the file holds more than its header.
        auto recorded = [&wav] {
            std::error_code error;
            const auto bytes = std::filesystem::file_size(wav, error);
            return error ? std::uintmax_t{0} : bytes;
        };
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline && recorded() < 44 + 44100 * 4)
            std::this_thread::sleep_for(50ms);
        if (recorded() < 44 + 44100 * 4) {
            waitForExit(child, 0ms);
            FAIL() << "the program did not start recording";
        }

        kill(child, signal);
        const int status = waitForExit(child, 15s);
        ASSERT_NE(status, -1) << "no exit after signal " << signal;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal << ", status " << status;
        const auto fileBytes = std::filesystem::file_size(wav);
        EXPECT_GT(fileBytes, 44u) << signal;
        EXPECT_EQ(headerField(wav, 40), fileBytes - 44) << signal;  // the data chunk's size
        EXPECT_EQ(headerField(wav, 4), fileBytes - 8) << signal;    // the RIFF chunk's size
        if (byOption) {
            EXPECT_EQ(headerField(wav, 22, 2), 4u);  // channels
        }
    }
}

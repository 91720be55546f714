// The program under a termination signal: it closes in order, so the recorder's WAV file
// ends with a header that counts every frame written. One run records as the environment
// asks (the main output), the other as --record asks, with a path relative to the working
// folder: both outputs, four channels.
#include <gtest/gtest.h>

#include <QProcess>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/temp_dir.h"

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

}  // namespace

TEST(TerminationSignalTest, SigtermAndSigintCloseInOrderAndFinaliseTheRecording) {
    const std::string program = std::string(QUILLMIX_TEST_TOOLS_DIR) + "/quillmix";
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "the program is not built here";
    const QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    for (int signal : {SIGTERM, SIGINT}) {
        TempDir dir;
        const auto wav = dir.file("mix.wav");
        const bool byOption = signal == SIGINT;
        const QString home = QString::fromStdString(dir.path().string());
        QProcessEnvironment env;
        for (const QString& name : inherited.keys())
            if (name == "PATH" || name.startsWith("LD_")) env.insert(name, inherited.value(name));
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "HOME"}) env.insert(name, home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (!byOption) {
            env.insert("QUILLMIX_AUDIO_DEVICE", "recorder");
            env.insert("QUILLMIX_RECORD_WAV", QString::fromStdString(wav.string()));
        }
        QProcess child;  // killed when it goes out of scope still running
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(home);
        child.start(QString::fromStdString(program), byOption ? QStringList{"--record", "mix.wav"} : QStringList{});
        ASSERT_TRUE(child.waitForStarted());

        // Recording has begun once the file holds more than its header.
        auto recorded = [&wav] {
            std::error_code error;
            const auto bytes = std::filesystem::file_size(wav, error);
            return error ? std::uintmax_t{0} : bytes;
        };
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline && recorded() < 44 + 44100 * 4)
            std::this_thread::sleep_for(50ms);
        ASSERT_GE(recorded(), 44u + 44100 * 4) << "the program did not start recording";

        kill(static_cast<pid_t>(child.processId()), signal);
        ASSERT_TRUE(child.waitForFinished(15000)) << "no exit after signal " << signal;
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(child.exitCode(), 0) << signal;
        const auto fileBytes = std::filesystem::file_size(wav);
        EXPECT_GT(fileBytes, 44u) << signal;
        EXPECT_EQ(headerField(wav, 40), fileBytes - 44) << signal;  // the data chunk's size
        EXPECT_EQ(headerField(wav, 4), fileBytes - 8) << signal;    // the RIFF chunk's size
        if (byOption) {
            EXPECT_EQ(headerField(wav, 22, 2), 4u);  // channels
        }
    }
}

// Scheduling of the audio thread against every other thread of the process, with the
// program's own priority levels in use; the resulting table is printed.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "platform/thread_priority.h"
#include "sound/sound_device.h"

using namespace quillmix;
using namespace std::chrono_literals;

namespace {

// Every thread of the process, by kernel id, with its name.
std::map<KernelThreadId, std::string> threadsByName() {
    std::map<KernelThreadId, std::string> threads;
    DIR* tasks = opendir("/proc/self/task");
    while (const dirent* entry = tasks ? readdir(tasks) : nullptr) {
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        if (std::atoi(entry->d_name) > 0 && std::getline(comm, name)) threads[std::atoi(entry->d_name)] = name;
    }
    if (tasks) closedir(tasks);
    return threads;
}

}  // namespace

TEST(ThreadPriorityThreadTest, RecorderClockOutranksEveryOtherThread) {
    // Stand-ins for the keyboard poll, play-notify, read-forward, file-open and length
    // loader threads, each at the level the program gives it.
    std::atomic<bool> done{false};
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (ThreadPriority level : {ThreadPriority::timeCritical, ThreadPriority::highest, ThreadPriority::aboveNormal,
                                 ThreadPriority::normal, ThreadPriority::belowNormal}) {
        workers.emplace_back([&done, &ready, level] {
            setCurrentThreadPriority(level);
            ++ready;
            while (!done.load()) std::this_thread::sleep_for(5ms);
        });
    }
    auto device = SoundDevice::open(recorderDeviceInfo(), 256, nullptr);
    ASSERT_TRUE(device);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while ((device->mixer().framesRendered() == 0 || ready.load() < 5) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    const auto threads = threadsByName();
    const auto audio = std::find_if(threads.begin(), threads.end(), [](auto& t) { return t.second == "qm-audio"; });
    ASSERT_NE(audio, threads.end()) << "no audio thread";
    const std::string table = describeThreadPriorities();
    std::printf("%s", table.c_str());

    const int audioRank = schedulingRank(audio->first);
    for (const auto& [tid, name] : threads) {
        if (name == "qm-audio") continue;  // itself, or another device's: a peer
        // Where the system grants no priority at all, every thread runs alike.
        if (audioRank > 0)
            EXPECT_LT(schedulingRank(tid), audioRank) << "thread " << tid << "\n" << table;
        else
            EXPECT_LE(schedulingRank(tid), audioRank) << "thread " << tid << "\n" << table;
    }
    done = true;
    for (auto& w : workers) w.join();
    device.reset();
}

#include "sound/stream_watchdog.h"

#include <pthread.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "sound/sound_device.h"

namespace quillmix {

StreamWatchdog::StreamWatchdog(SoundDevice& device)
    : device_(device),
      stallLimit_(std::max<std::chrono::steady_clock::duration>(
          kStallLimit, std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(
                           4.0 * device.periodFrames() / std::max(device.sampleRate(), 1))))) {
    thread_ = std::thread([this] { run(); });
}

void StreamWatchdog::stop() {
    running_.store(false, std::memory_order_release);
    wake_.set();
    if (thread_.joinable()) thread_.join();
}

void StreamWatchdog::run() {
    pthread_setname_np(pthread_self(), "qm-watchdog");
    std::uint64_t lastFrames = device_.mixer().framesRendered();
    auto lastProgress = std::chrono::steady_clock::now();
    bool promoted = false;
    while (running_.load(std::memory_order_acquire)) {
        wake_.wait(std::chrono::duration_cast<std::chrono::milliseconds>(promoted ? kSteadyCheckPeriod : kCheckPeriod));
        if (!running_.load(std::memory_order_acquire)) break;
        if (!promoted) {
            if (const KernelThreadId audio = audioThread_.load(std::memory_order_relaxed)) {
                promote(audio);
                promoted = true;
            }
        }
        if (finished_.load(std::memory_order_acquire) || stalled(lastFrames, lastProgress)) {
            device_.markLost();
            break;  // nothing more to watch: a lost stream stays lost
        }
    }
}

bool StreamWatchdog::stalled(std::uint64_t& lastFrames, std::chrono::steady_clock::time_point& lastProgress) const {
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t frames = device_.mixer().framesRendered();
    if (frames != lastFrames) {
        lastFrames = frames;
        lastProgress = now;
        return false;
    }
    const auto limit = frames == 0 ? std::chrono::steady_clock::duration(kFirstRenderLimit) : stallLimit_;
    return now - lastProgress > limit;
}

// From here, not from the audio thread: the changes are system calls, and the fallback
// may print.
void StreamWatchdog::promote(KernelThreadId thread) {
    promoteAudioThread(thread);
    std::ofstream("/proc/self/task/" + std::to_string(thread) + "/comm") << "qm-audio";
}

}  // namespace quillmix

#pragma once
// Watches one clocked stream from a thread of its own and declares its device lost when
//   - the back-end reports that the stream ended without being asked to (PortAudio's
//     finished callback, an error that stopped its audio thread), or
//   - the mixer's rendered frames stop advancing: for kFirstRenderLimit before the first
//     render, for kStallLimit (or four periods, if longer) after it; a sound server that
//     dies simply stops calling.
// It also gives the stream's audio thread its priority (promoteAudioThread) as soon as the
// first callback has said which thread that is, and names it "qm-audio".

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/event.h"
#include "platform/thread_priority.h"

namespace quillmix {

class SoundDevice;

class StreamWatchdog {
public:
    static constexpr auto kFirstRenderLimit = std::chrono::milliseconds(3000);
    static constexpr auto kStallLimit = std::chrono::milliseconds(400);
    // Checks come every kCheckPeriod until the audio thread has its priority, then every
    // kSteadyCheckPeriod, so that an idle program is not woken 50 times a second for
    // nothing: a stall is then noticed one to two steady periods after the last render.
    static constexpr auto kCheckPeriod = std::chrono::milliseconds(20);
    static constexpr auto kSteadyCheckPeriod = std::chrono::milliseconds(1000);

    // Window thread: starts watching; `device` outlives the watchdog.
    explicit StreamWatchdog(SoundDevice& device);
    // Window thread: stops watching; returns at once (the thread is woken). The callbacks may
    // still call the note functions afterwards, until the object is destroyed.
    void stop();
    ~StreamWatchdog() { stop(); }
    StreamWatchdog(const StreamWatchdog&) = delete;
    StreamWatchdog& operator=(const StreamWatchdog&) = delete;

    // Audio thread, every callback: one relaxed load once the thread is known; the first
    // call asks the kernel for the thread's id (a system call that never blocks).
    void noteAudioThread() noexcept {
        if (audioThread_.load(std::memory_order_relaxed) == 0)
            audioThread_.store(currentKernelThreadId(), std::memory_order_relaxed);
    }
    // Any thread: the stream ended on its own.
    void noteFinished() noexcept { finished_.store(true, std::memory_order_release); }

private:
    void run();
    bool stalled(std::uint64_t& lastFrames, std::chrono::steady_clock::time_point& lastProgress) const;
    void promote(KernelThreadId thread);

    SoundDevice& device_;
    std::chrono::steady_clock::duration stallLimit_;
    std::atomic<KernelThreadId> audioThread_{0};
    std::atomic<bool> finished_{false};
    std::atomic<bool> running_{true};
    Event wake_ = Event::create(Event::Reset::automatic, false);
    std::thread thread_;
};

}  // namespace quillmix

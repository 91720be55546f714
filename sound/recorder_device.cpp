// The built-in virtual sound device. A timer thread of its own plays the part of the sound
// card's clock: every period it renders the mix, in real time. When given a file it hands
// every rendered sample, all channels, through a lock-free queue to a writer thread that
// puts them in a WAV file, so the timer thread itself never does I/O.
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "platform/spsc_queue.h"
#include "platform/thread_priority.h"
#include "sound/sound_device.h"
#include "sound/wav_file_writer.h"

namespace quillmix {

namespace {

using Clock = std::chrono::steady_clock;

struct RecorderState {
    RecorderState(SoundMixer& m, int seconds)
        : mixer(m), fifo(static_cast<std::size_t>(m.sampleRate()) * m.channels() * seconds) {}
    SoundMixer& mixer;
    std::atomic<bool> running{true};
    std::atomic<bool> clockDone{false};  // set once the timer thread has ended
    SpscQueue<std::int16_t> fifo;        // timer thread -> writer thread
    Event samplesQueued = Event::create(Event::Reset::automatic, false);
    std::atomic<std::uint64_t> droppedSamples{0};
    WavFileWriter wav;
    std::thread clock;
    std::thread writer;
};

// The device's audio thread: render a period, queue it for the file, sleep to the next.
void runClock(RecorderState& s, int periodFrames) {
    // Before the first render: the promotion makes system calls and may print once.
    pthread_setname_np(pthread_self(), "qm-audio");
    promoteAudioThread(currentKernelThreadId());
    const int channels = s.mixer.channels();
    std::vector<std::int16_t> period(static_cast<std::size_t>(periodFrames) * channels);
    const auto periodLength = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(periodFrames) / s.mixer.sampleRate()));
    auto due = Clock::now();
    while (s.running.load(std::memory_order_acquire)) {
        s.mixer.render(period.data(), periodFrames);
        if (s.wav.isOpen()) {
            if (!s.fifo.push(period.data(), period.size()))
                s.droppedSamples.fetch_add(period.size(), std::memory_order_relaxed);
            s.samplesQueued.set();
        }
        due += periodLength;
        const auto now = Clock::now();
        if (now - due > std::chrono::milliseconds(200)) due = now;  // fell far behind: resync
        std::this_thread::sleep_until(due);
    }
}

void runWriter(RecorderState& s) {
    pthread_setname_np(pthread_self(), "qm-wav-writer");
    std::vector<std::int16_t> chunk(8192);
    for (;;) {
        const bool clockDone = s.clockDone.load(std::memory_order_acquire);
        std::size_t n;
        while ((n = s.fifo.pop(chunk.data(), chunk.size())) > 0) s.wav.write(chunk.data(), n);
        if (clockDone) break;  // drained after the clock's last push
        s.samplesQueued.wait(std::chrono::milliseconds(50));
    }
}

bool recorderSupports(const SoundDeviceInfo&, const SoundStreamConfig& config) {
    return config.channels == 2 || config.channels == 4;
}

bool recorderOpen(SoundDevice& device, const SoundStreamConfig& config) {
    if (!recorderSupports(device.info(), config)) return false;
    auto* state = new RecorderState(device.mixer(), 4);
    if (!config.recordWavPath.empty()) state->wav.open(config.recordWavPath, config.sampleRate, config.channels);
    state->writer = std::thread(runWriter, std::ref(*state));
    state->clock = std::thread(runClock, std::ref(*state), config.periodFrames);
    device.backendState = state;
    return true;
}

bool recorderClose(SoundDevice& device) {
    auto* state = static_cast<RecorderState*>(device.backendState);
    if (!state) return true;
    state->running.store(false, std::memory_order_release);
    state->clock.join();
    state->clockDone.store(true, std::memory_order_release);
    state->samplesQueued.set();
    state->writer.join();
    state->wav.close();
    delete state;
    device.backendState = nullptr;
    return true;
}

}  // namespace

const SoundDeviceOps kRecorderDeviceOps = {"recorder", true, recorderSupports, recorderOpen, recorderClose};

SoundDeviceInfo recorderDeviceInfo() {
    return SoundDeviceInfo{"recorder", "Quillmix Recorder", 4, &kRecorderDeviceOps};
}

}  // namespace quillmix

// The PortAudio back-end: every output device of every host API PortAudio offers here
// (ALSA and JACK, with PulseAudio and PipeWire through their ALSA and JACK faces). This is
// the only file that sees PortAudio's header.
//
// The ALSA and JACK libraries talk on stderr while PortAudio probes them (missing servers,
// unusable PCMs). Their error hooks are pointed at functions that say nothing, and stderr
// itself is parked on /dev/null while PortAudio initialises.
#include <dlfcn.h>
#include <fcntl.h>
#include <pa_linux_alsa.h>
#include <portaudio.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/event.h"
#include "sound/sound_device.h"
#include "sound/stream_watchdog.h"

namespace quillmix {

namespace {

int libraryUsers = 0;  // window thread only
// Set once a stream died: a host API whose server went away (JACK) stays broken inside the
// library until it is initialised afresh, which portAudioRefresh does when it can.
std::atomic<bool> libraryStale{false};

// How long closing waits for the library to stop a stream; a dead stream gets less.
constexpr auto kCloseLimit = std::chrono::milliseconds(1000);
constexpr auto kLostCloseLimit = std::chrono::milliseconds(50);

// One open stream. The callbacks get it as their user data.
struct StreamState {
    explicit StreamState(SoundDevice& device) : mixer(device.mixer()) {}
    SoundMixer& mixer;
    PaStream* stream = nullptr;
    std::unique_ptr<StreamWatchdog> watchdog;
    std::atomic<bool> closing{false};
    std::atomic<std::uint64_t> underflows{0};  // callbacks that reported an output underflow
    // Bumped with release at the end of every callback (and of the finished callback) and
    // read with acquire before the state is freed: the library's own "last callback has returned" is invisible to
    // ThreadSanitizer, this order is not.
    std::atomic<std::uint64_t> callbacksDone{0};
};

// The audio thread may be one the library started long before this stream's mixer was
// built (JACK's process thread is). Bumped with release after a mixer is ready and read
// with acquire at the top of every callback, it orders the mixer's construction before its
// first render in a way every thread, and ThreadSanitizer, can see.
std::atomic<std::uint64_t> mixersReady{0};

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void quietJack(const char*) {}

void silenceLibraryChatter() {
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using JackHandler = void (*)(const char*);
    if (auto set = reinterpret_cast<int (*)(AlsaHandler)>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
        set(quietAlsa);
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"})
        if (auto set = reinterpret_cast<void (*)(JackHandler)>(dlsym(RTLD_DEFAULT, name))) set(quietJack);
}

class StderrParked {
public:
    StderrParked() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            dup2(devNull, STDERR_FILENO);
            ::close(devNull);
        }
    }
    ~StderrParked() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }

private:
    int saved_ = -1;
};

std::string hostApiTag(const PaHostApiInfo* api) {
    switch (api->type) {
        case paALSA: return "alsa";
        case paJACK: return "jack";
        case paOSS: return "oss";
        default: return api->name;
    }
}

std::string hostApiLabel(const PaHostApiInfo* api) {
    return api->type == paJACK ? std::string("JACK") : std::string(api->name);
}

std::string idOf(PaDeviceIndex index) {
    const PaDeviceInfo* d = Pa_GetDeviceInfo(index);
    return "pa:" + hostApiTag(Pa_GetHostApiInfo(d->hostApi)) + ":" + d->name;
}

PaDeviceIndex indexOf(const std::string& id) {
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* d = Pa_GetDeviceInfo(i);
        if (d && d->maxOutputChannels > 0 && idOf(i) == id) return i;
    }
    return paNoDevice;
}

PaStreamParameters outputParameters(PaDeviceIndex index, int channels) {
    PaStreamParameters p{};
    p.device = index;
    p.channelCount = channels;
    p.sampleFormat = paInt16;
    p.suggestedLatency = Pa_GetDeviceInfo(index)->defaultLowOutputLatency;
    return p;
}

// PortAudio's audio thread. The mixer renders straight into the device's buffer.
int renderCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags flags, void* userData) {
    mixersReady.load(std::memory_order_acquire);
    auto* state = static_cast<StreamState*>(userData);
    state->watchdog->noteAudioThread();
    // An underflow is a glitch, not a death: counted; a stream that stops calling is
    // caught by the watchdog, one whose thread ends by the finished callback.
    if (flags & paOutputUnderflow) state->underflows.fetch_add(1, std::memory_order_relaxed);
    state->mixer.render(static_cast<std::int16_t*>(output), static_cast<int>(frames));
    state->callbacksDone.fetch_add(1, std::memory_order_release);
    return paContinue;
}

// The library's thread, once the stream has become inactive: on its own (an error ended
// the audio thread) unless a close asked for it.
void streamFinished(void* userData) {
    auto* state = static_cast<StreamState*>(userData);
    if (!state->closing.load(std::memory_order_acquire)) state->watchdog->noteFinished();
    state->callbacksDone.fetch_add(1, std::memory_order_release);
}

bool portAudioSupports(const SoundDeviceInfo& info, const SoundStreamConfig& config) {
    const PaDeviceIndex index = indexOf(info.id);
    if (index == paNoDevice || config.channels > Pa_GetDeviceInfo(index)->maxOutputChannels) return false;
    const PaStreamParameters p = outputParameters(index, config.channels);
    return Pa_IsFormatSupported(nullptr, &p, config.sampleRate) == paFormatIsSupported;
}

bool openStream(SoundDevice& device, const SoundStreamConfig& config);

// Each open stream holds the library, so it stays up however long a device outlives the
// sound system that listed it.
bool portAudioOpen(SoundDevice& device, const SoundStreamConfig& config) {
    if (!portAudioAcquire()) return false;
    if (openStream(device, config)) return true;
    portAudioRelease();
    return false;
}

bool openStream(SoundDevice& device, const SoundStreamConfig& config) {
    const PaDeviceIndex index = indexOf(device.info().id);
    if (index == paNoDevice || config.channels > Pa_GetDeviceInfo(index)->maxOutputChannels) return false;
    const PaStreamParameters p = outputParameters(index, config.channels);
    auto state = std::make_unique<StreamState>(device);
    if (Pa_OpenStream(&state->stream, nullptr, &p, config.sampleRate, static_cast<unsigned long>(config.periodFrames),
                      paClipOff, renderCallback, state.get()) != paNoError)
        return false;
    // ALSA's callback thread asks for real-time scheduling itself; the watchdog checks
    // what it got, for every host API, and falls back (saying so) where it was refused.
    if (Pa_GetHostApiInfo(Pa_GetDeviceInfo(index)->hostApi)->type == paALSA)
        PaAlsa_EnableRealtimeScheduling(state->stream, 1);
    state->watchdog = std::make_unique<StreamWatchdog>(device);
    Pa_SetStreamFinishedCallback(state->stream, streamFinished);
    // Release: the callback's acquire sees the whole state, watchdog included.
    mixersReady.fetch_add(1, std::memory_order_release);
    if (Pa_StartStream(state->stream) != paNoError) {
        state->closing.store(true, std::memory_order_release);
        state->watchdog->stop();
        Pa_CloseStream(state->stream);
        return false;
    }
    device.backendState = state.release();
    return true;
}

// Aborts (rather than drains) and closes the stream on a thread of its own, so that a
// library stuck on a dead server cannot hold the window thread: the wait is bounded. A
// close that does not finish in time keeps the state, and the library, for good.
bool portAudioClose(SoundDevice& device) {
    auto* state = static_cast<StreamState*>(device.backendState);
    if (!state) return true;
    device.backendState = nullptr;
    state->closing.store(true, std::memory_order_release);
    state->watchdog->stop();  // kept for the callbacks until the stream is closed
    const bool lost = device.lost();
    if (lost) libraryStale.store(true, std::memory_order_release);
    struct Closing {
        std::atomic<bool> done{false};
        Event finished = Event::create(Event::Reset::manual, false);
    };
    auto closing = std::make_shared<Closing>();
    std::thread closer([state, closing] {
        Pa_AbortStream(state->stream);  // returns after the last callback
        Pa_CloseStream(state->stream);
        closing->done.store(true, std::memory_order_release);
        closing->finished.set();
    });
    closing->finished.wait(std::chrono::duration_cast<std::chrono::milliseconds>(lost ? kLostCloseLimit : kCloseLimit));
    if (!closing->done.load(std::memory_order_acquire)) {
        libraryStale.store(true, std::memory_order_release);
        closer.detach();  // it ends, or not, on its own; the state stays allocated for it
        return false;
    }
    closer.join();
    state->callbacksDone.load(std::memory_order_acquire);
    delete state;
    portAudioRelease();
    return true;
}

}  // namespace

const SoundDeviceOps kPortAudioDeviceOps = {"portaudio", true, portAudioSupports, portAudioOpen, portAudioClose};

bool portAudioAcquire() {
    if (libraryUsers > 0) {
        ++libraryUsers;
        return true;
    }
    silenceLibraryChatter();
    PaError result;
    {
        StderrParked quiet;
        result = Pa_Initialize();
        silenceLibraryChatter();  // libraries PortAudio loaded on the way
    }
    if (result != paNoError) return false;
    ++libraryUsers;
    return true;
}

void portAudioRelease() {
    if (libraryUsers == 0) return;
    if (--libraryUsers == 0) {
        Pa_Terminate();
        libraryStale.store(false, std::memory_order_release);
    }
}

bool portAudioRefresh() {
    if (!libraryStale.load(std::memory_order_acquire) || libraryUsers != 1) return false;
    Pa_Terminate();
    libraryUsers = 0;
    libraryStale.store(false, std::memory_order_release);
    return portAudioAcquire();
}

void portAudioEnumerate(std::vector<SoundDeviceInfo>& into) {
    if (libraryUsers == 0) return;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* d = Pa_GetDeviceInfo(i);
        if (!d || d->maxOutputChannels <= 0) continue;
        const PaHostApiInfo* api = Pa_GetHostApiInfo(d->hostApi);
        into.push_back(
            SoundDeviceInfo{idOf(i), hostApiLabel(api) + ": " + d->name, d->maxOutputChannels, &kPortAudioDeviceOps});
    }
}

}  // namespace quillmix

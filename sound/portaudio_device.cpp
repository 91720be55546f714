// The PortAudio back-end: every output device of every host API PortAudio offers here
// (ALSA and JACK, with PulseAudio and PipeWire through their ALSA and JACK faces). This is
// the only file that sees PortAudio's header.
//
// The ALSA and JACK libraries talk on stderr while PortAudio probes them (missing servers,
// unusable PCMs). Their error hooks are pointed at functions that say nothing, and stderr
// itself is parked on /dev/null while PortAudio initialises.
#include <dlfcn.h>
#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "sound/sound_device.h"

namespace quillmix {

namespace {

int libraryUsers = 0;  // window thread only

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
                   PaStreamCallbackFlags, void* userData) {
    mixersReady.load(std::memory_order_acquire);
    auto* mixer = static_cast<SoundMixer*>(userData);
    mixer->render(static_cast<std::int16_t*>(output), static_cast<int>(frames));
    return paContinue;
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
    PaStream* stream = nullptr;
    mixersReady.fetch_add(1, std::memory_order_release);
    if (Pa_OpenStream(&stream, nullptr, &p, config.sampleRate, static_cast<unsigned long>(config.periodFrames),
                      paClipOff, renderCallback, &device.mixer()) != paNoError)
        return false;
    if (Pa_StartStream(stream) != paNoError) {
        Pa_CloseStream(stream);
        return false;
    }
    device.backendState = stream;
    return true;
}

void portAudioClose(SoundDevice& device) {
    auto* stream = static_cast<PaStream*>(device.backendState);
    if (!stream) return;
    Pa_StopStream(stream);  // returns after the last callback
    Pa_CloseStream(stream);
    device.backendState = nullptr;
    portAudioRelease();
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
    if (--libraryUsers == 0) Pa_Terminate();
}

void portAudioEnumerate(std::vector<SoundDeviceInfo>& into) {
    if (libraryUsers == 0) return;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* d = Pa_GetDeviceInfo(i);
        if (!d || d->maxOutputChannels <= 0) continue;
        const PaHostApiInfo* api = Pa_GetHostApiInfo(d->hostApi);
        into.push_back(SoundDeviceInfo{idOf(i), hostApiLabel(api) + ": " + d->name, d->maxOutputChannels,
                                       &kPortAudioDeviceOps});
    }
}

}  // namespace quillmix

#pragma once
// A sound device: one open output stream of one back-end, with the software mixer that
// feeds it. The back-ends (PortAudio, the real-time recorder, the hand-stepped test device)
// are each one SoundDeviceOps table; everything above this layer sees only SoundDevice.
//
// A device is shared: the main and monitor outputs that use the two speaker pairs of one
// four-channel device hold the same SoundDevice, so both halves play through one stream.
// The stream closes when the last holder lets go.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/messaging.h"
#include "sound/sound_buffer.h"
#include "sound/sound_mixer.h"

namespace quillmix {

class SoundDevice;

struct SoundStreamConfig {
    int sampleRate = 44100;     // frames per second
    int channels = 2;           // 2 or 4, 16-bit interleaved
    int periodFrames = 256;     // frames per audio-thread wake-up
    std::string recordWavPath;  // the recorder's output file; empty: record nothing
};

struct SoundDeviceOps;

// What the enumeration reports of one device.
struct SoundDeviceInfo {
    std::string id;           // stable across runs: back-end, host API and device name
    std::string description;  // shown to the user
    int maxOutputChannels = 2;
    const SoundDeviceOps* ops = nullptr;
};

// One back-end. Every function runs on the window thread.
struct SoundDeviceOps {
    const char* backend;
    // True when a clock of its own drives the device's render; false when a test steps it.
    bool clocked;
    // Whether a stream of this shape could be opened now, without opening it.
    bool (*supports)(const SoundDeviceInfo& info, const SoundStreamConfig& config);
    // Opens and starts the stream; from then on the back-end's audio thread calls
    // device.mixer().render(). False when the device refuses the configuration.
    bool (*open)(SoundDevice& device, const SoundStreamConfig& config);
    // Stops the stream, within a bound even when the stream is dead. True when no render
    // runs after it returns; false when that could not be confirmed in time (a stream stuck
    // in its library), in which case the mixer is never freed.
    bool (*close)(SoundDevice& device);
};

// Where a device reports its loss: a message posted (from any thread) to a window.
struct SoundDeviceLossNotice {
    WindowHandle window;
    unsigned message = 0;
};

class SoundDevice {
public:
    // Opens a stream at `sampleRate` (44100 unless asked otherwise) with four channels, or
    // with two when the device refuses four. A device that refuses the rate altogether (a
    // sound server running at 48000 Hz) is tried at the other of 44100 and 48000; the
    // buffers resample to whatever rate the device runs at. Null when nothing opens.
    static std::shared_ptr<SoundDevice> open(const SoundDeviceInfo& info, int periodFrames,
                                             std::shared_ptr<DeviceVolumes> volumes,
                                             const std::string& recordWavPath = {}, int sampleRate = 44100);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    const SoundDeviceInfo& info() const { return info_; }
    int channels() const { return config_.channels; }
    int sampleRate() const { return config_.sampleRate; }
    int periodFrames() const { return config_.periodFrames; }
    bool clocked() const { return info_.ops->clocked; }
    SoundMixer& mixer() { return *mixer_; }

    // Any thread: the stream died (device unplugged, sound server ended, the audio thread
    // stopped rendering). The device then acts as one that renders nothing: nothing waits
    // on it, and it closes within a bound.
    bool lost() const { return mixer_ && mixer_->lost(); }
    // Any thread (a back-end's watchdog or finished callback; tests): declares the stream
    // dead. The first call posts the loss notice, if one was given; later calls do nothing.
    void markLost();
    // Window thread, before the stream can die: where markLost reports.
    void setLossNotice(const SoundDeviceLossNotice& notice) { lossNotice_ = notice; }

    // Window thread: a new looping buffer playing on this device; null when the format is
    // out of range or the device holds too many buffers.
    std::unique_ptr<SoundBuffer> createBuffer(const SoundBufferDesc& desc);

    // Owned by the back-end between its open and close.
    void* backendState = nullptr;

private:
    struct Key {};

public:
    SoundDevice(Key, SoundDeviceInfo info);

private:
    bool tryOpen(const SoundStreamConfig& config, std::shared_ptr<DeviceVolumes> volumes);

    std::weak_ptr<SoundDevice> self_;
    SoundDeviceInfo info_;
    SoundStreamConfig config_;
    std::unique_ptr<SoundMixer> mixer_;
    bool streamOpen_ = false;
    SoundDeviceLossNotice lossNotice_;
    std::atomic<bool> lossReported_{false};
};

// ---- The back-ends ----

// The hand-stepped device for tests: renders only when stepped, never offered to users.
extern const SoundDeviceOps kSteppedDeviceOps;
SoundDeviceInfo steppedDeviceInfo(const std::string& id, const std::string& description, int maxChannels);
// Test thread: renders `frames` frames and returns them, channels() samples a frame.
std::vector<std::int16_t> stepSoundDevice(SoundDevice& device, int frames);

// The built-in virtual device, paced in real time by its own timer thread; it can write
// everything it plays, all channels, to a WAV file.
extern const SoundDeviceOps kRecorderDeviceOps;
SoundDeviceInfo recorderDeviceInfo();

// PortAudio: every output device of every host API. Acquire before use (initialises the
// library, quietly); release as often as acquired.
extern const SoundDeviceOps kPortAudioDeviceOps;
bool portAudioAcquire();
void portAudioRelease();
// Window thread: after a stream died, initialises the library afresh so that a device (or
// sound server) that came back is found again; only while the caller is its one user (no
// stream open). True when it did.
bool portAudioRefresh();
void portAudioEnumerate(std::vector<SoundDeviceInfo>& into);

}  // namespace quillmix

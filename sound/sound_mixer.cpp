#include "sound/sound_mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/realtime_guard.h"
#include "sound/sound_buffer.h"

namespace quillmix {

namespace {
// Rounds to the nearest integer, ties to even, as lrint does in the default rounding mode,
// without a library call: adding 1.5 x 2^23 leaves no fraction bits for |x| < 2^22.
inline float roundToInteger(float x) noexcept {
    constexpr float kShift = 12582912.0f;
    return (x + kShift) - kShift;
}
}  // namespace

double amplitudeOfHundredthsDb(double hundredthsDb) {
    if (hundredthsDb <= kVolumeSilent) return 0.0;
    return std::pow(10.0, hundredthsDb / 2000.0);
}

void DeviceVolumes::set(VolumeLine line, std::uint32_t left, std::uint32_t right) {
    levels_[index(line)][0].store(std::min(left, kLineLevelMax), std::memory_order_relaxed);
    levels_[index(line)][1].store(std::min(right, kLineLevelMax), std::memory_order_relaxed);
}

std::pair<std::uint32_t, std::uint32_t> DeviceVolumes::get(VolumeLine line) const {
    return {levels_[index(line)][0].load(std::memory_order_relaxed),
            levels_[index(line)][1].load(std::memory_order_relaxed)};
}

float DeviceVolumes::channelGain(int channel) const noexcept {
    const int side = channel & 1;
    // Relaxed: each level is independent; a block late at worst.
    const double speakers = levels_[0][side].load(std::memory_order_relaxed);
    const double wave = levels_[1][side].load(std::memory_order_relaxed);
    return static_cast<float>((speakers / kLineLevelMax) * (wave / kLineLevelMax));
}

SoundMixer::SoundMixer(int sampleRate, int channels, int maxBlockFrames, std::shared_ptr<DeviceVolumes> volumes)
    : sampleRate_(sampleRate),
      channels_(channels),
      maxBlockFrames_(maxBlockFrames),
      volumes_(volumes ? std::move(volumes) : std::make_shared<DeviceVolumes>()),
      bus_(static_cast<std::size_t>(maxBlockFrames) * channels),
      lineGains_(channels) {
    for (int c = 0; c < channels_; ++c) lineGains_[c] = volumes_->channelGain(c);
}

bool SoundMixer::attach(SoundBuffer* buffer) {
    for (auto& slot : slots_) {
        SoundBuffer* empty = nullptr;
        // Seq_cst, like the render's loads, so a detach's quiescence check is sound.
        if (slot.compare_exchange_strong(empty, buffer)) return true;
    }
    return false;
}

SoundMixer::~SoundMixer() {
    // The owner destroys the mixer only once no render can run (the stream is closed).
    std::vector<SoundBuffer*> done;
    done.swap(parked_);
    for (SoundBuffer* buffer : done) delete buffer;
}

bool SoundMixer::detach(SoundBuffer* buffer) {
    for (auto& slot : slots_) {
        SoundBuffer* expected = buffer;
        if (slot.compare_exchange_strong(expected, nullptr)) break;
    }
    const bool quiescent = waitUntilQuiescent();
    if (quiescent) releaseParked();
    return quiescent;
}

bool SoundMixer::waitUntilQuiescent() const {
    realtimeNotAllowed(__func__);  // would wait for itself
    // A render that loaded a slot did so after making the epoch odd (both seq_cst). If the
    // epoch read here is even, no render holds a pointer taken before our store; if odd,
    // that render is done once the epoch moves on.
    const std::uint64_t seen = epoch_.load();
    if ((seen & 1) == 0) return true;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (epoch_.load() != seen) return true;
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited > std::chrono::seconds(2) || (lost() && waited > std::chrono::milliseconds(20))) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void SoundMixer::park(SoundBuffer* buffer) { parked_.push_back(buffer); }

int SoundMixer::releaseParked() {
    if (parked_.empty()) return 0;
    if ((epoch_.load() & 1) != 0) return static_cast<int>(parked_.size());
    // Even now: every render that held a parked buffer (taken before its detach) is over.
    std::vector<SoundBuffer*> done;
    done.swap(parked_);
    for (SoundBuffer* buffer : done) delete buffer;
    return 0;
}

void SoundMixer::render(std::int16_t* out, int frames) noexcept {
    RealtimeScope realtime;
    epoch_.fetch_add(1);  // odd: rendering
    while (frames > 0) {
        const int n = std::min(frames, maxBlockFrames_);
        renderBlock(out, n);
        out += static_cast<std::ptrdiff_t>(n) * channels_;
        frames -= n;
        framesRendered_.fetch_add(static_cast<std::uint64_t>(n), std::memory_order_release);
    }
    epoch_.fetch_add(1);  // even: idle
}

// The bus is cleared only as far as an earlier block wrote to it, and a block that no
// buffer added to comes out as zeros without a conversion pass: with nothing playing,
// the block costs the buffers' command checks and one memset of the output.
void SoundMixer::renderBlock(std::int16_t* out, int frames) noexcept {
    float* bus = bus_.data();
    const std::ptrdiff_t samples = static_cast<std::ptrdiff_t>(frames) * channels_;
    std::fill(bus, bus + busDirtySamples_, 0.0f);
    busDirtySamples_ = 0;
    bool added = false;
    for (auto& slot : slots_) {
        if (SoundBuffer* buffer = slot.load()) added |= buffer->renderAdd(bus, channels_, frames);
    }
    if (!added) {
        std::memset(out, 0, static_cast<std::size_t>(samples) * sizeof(std::int16_t));
        for (int c = 0; c < channels_; ++c) lineGains_[c] = volumes_->channelGain(c);
        return;
    }
    busDirtySamples_ = samples;
    for (int c = 0; c < channels_; ++c) {
        // Ramp each channel's line gain across the block so a volume change never clicks.
        const float from = lineGains_[c];
        const float to = volumes_->channelGain(c);
        const float slope = (to - from) / static_cast<float>(frames);
        for (int n = 0; n < frames; ++n) {
            const float gain = n + 1 == frames ? to : from + slope * static_cast<float>(n + 1);
            const float v = bus[static_cast<std::ptrdiff_t>(n) * channels_ + c] * gain * 32768.0f;
            const float clipped = std::clamp(v, -32768.0f, 32767.0f);
            out[static_cast<std::ptrdiff_t>(n) * channels_ + c] = static_cast<std::int16_t>(roundToInteger(clipped));
        }
        lineGains_[c] = to;
    }
}

}  // namespace quillmix

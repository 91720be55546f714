// Render cost of the software mixer and the delay of a control change, on the hand-stepped
// device (so only the mixing itself is timed).
//
// BM_RenderFourBuffers/<device rate>: two decks on two outputs (the front and rear pairs of
// one device), all four buffers playing 44100 Hz audio. At 44100 the buffers pass straight
// through; at 48000 every buffer runs the windowed-sinc resampler. "x_realtime" is seconds
// of audio rendered per second of CPU.
// BM_ControlLatency: frames from a volume change (and from a frequency change) to the first
// output frame that shows it, and to the frame where a volume ramp is complete.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "sound/sound_device.h"

using namespace quillmix;

namespace {

std::vector<std::int16_t> noise(int frames, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> dist(-12000, 12000);
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
    for (auto& s : out) s = static_cast<std::int16_t>(dist(rng));
    return out;
}

void BM_RenderFourBuffers(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    constexpr int kPeriod = 256;
    auto device = SoundDevice::open(steppedDeviceInfo("bench", "Bench", 4), kPeriod, nullptr, {}, rate);
    std::vector<std::unique_ptr<SoundBuffer>> buffers;
    const auto audio = noise(kSoundBufferFrames, 3);
    for (int i = 0; i < 4; ++i) {
        auto b = device->createBuffer({44100, i < 2 ? kFrontPair : kRearPair});
        b->write(0, audio.data(), static_cast<int>(audio.size()));
        b->setVolume(-600);
        b->play();
        buffers.push_back(std::move(b));
    }
    std::vector<std::int16_t> out(static_cast<std::size_t>(kPeriod) * 4);
    for (auto _ : state) {
        device->mixer().render(out.data(), kPeriod);
        benchmark::DoNotOptimize(out.data());
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kPeriod / rate;
    state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
    state.counters["device_channels"] = device->channels();
}
BENCHMARK(BM_RenderFourBuffers)->Arg(44100)->Arg(48000)->Unit(benchmark::kMicrosecond);

// Renders `periods` periods and returns the left channel.
std::vector<int> renderLeft(SoundDevice& device, int period, int periods) {
    std::vector<int> left;
    for (int p = 0; p < periods; ++p) {
        const auto out = stepSoundDevice(device, period);
        for (int n = 0; n < period; ++n) left.push_back(out[2 * n]);
    }
    return left;
}

// 1-based frame count from the change to the first frame where `left` is off `expected`
// by at least `tolerance`; -1 when it never is.
template <typename Expected>
int firstFrameOff(const std::vector<int>& left, Expected expected, double tolerance) {
    for (std::size_t i = 0; i < left.size(); ++i)
        if (std::abs(left[i] - expected(static_cast<int>(i))) >= tolerance) return static_cast<int>(i) + 1;
    return -1;
}

void BM_ControlLatency(benchmark::State& state) {
    constexpr int period = 256;  // the default; 128 gives 1 / 128 / 8 the same way
    double volumeOnset = 0, volumeComplete = 0, frequencyOnset = 0;
    for (auto _ : state) {
        auto device = SoundDevice::open(steppedDeviceInfo("bench", "Bench", 2), period, nullptr);
        auto buffer = device->createBuffer({44100, kFrontPair});
        // A ramp: frame n holds the value n, so any change of level or speed shows at once.
        std::vector<std::int16_t> ramp(2 * 30000);
        for (int n = 0; n < 30000; ++n) ramp[2 * n] = ramp[2 * n + 1] = static_cast<std::int16_t>(n);
        buffer->write(0, ramp.data(), static_cast<int>(ramp.size()));
        buffer->play();
        int frame = 3 * period;
        stepSoundDevice(*device, frame);

        buffer->setVolume(-2000);  // to a tenth of the amplitude
        auto left = renderLeft(*device, period, 3);
        volumeOnset = firstFrameOff(
            left, [&](int i) { return frame + i; }, 1.0);
        int complete = static_cast<int>(left.size());
        while (complete > 0 && std::abs(left[complete - 1] - (frame + complete - 1) * 0.1) <= 1.0) --complete;
        volumeComplete = complete + 1;
        frame += 3 * period;

        buffer->setVolume(0);
        stepSoundDevice(*device, 2 * period);
        frame += 2 * period;
        buffer->setFrequency(47628);  // +8 %: the ramp steepens from 1 to 1.08 a frame
        left = renderLeft(*device, period, 2);
        frequencyOnset = firstFrameOff(
            left, [&](int i) { return frame + i; }, 1.0);
    }
    state.counters["volume_onset_frames"] = volumeOnset;
    state.counters["volume_complete_frames"] = volumeComplete;
    // A +8 % step is 1 LSB off the old ramp after about 13 frames; fewer than one period
    // more than that means it took effect at the next block.
    state.counters["frequency_onset_frames"] = frequencyOnset;
    state.counters["period_frames"] = period;
}
BENCHMARK(BM_ControlLatency)->Unit(benchmark::kMillisecond);

}  // namespace

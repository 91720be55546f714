#include "support/effect_signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace quillmix::test {

StereoBuffer stereoNoise(int frames, unsigned seed, float amplitude) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    StereoBuffer buffer(2 * static_cast<std::size_t>(frames));
    for (auto& s : buffer) s = dist(rng);
    return buffer;
}

StereoBuffer stereoSine(int frames, double hz, double sampleRate, float amplitude) {
    StereoBuffer buffer(2 * static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const float s = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * i / sampleRate));
        buffer[2 * i] = buffer[2 * i + 1] = s;
    }
    return buffer;
}

StereoBuffer stereoSilence(int frames) { return StereoBuffer(2 * static_cast<std::size_t>(frames), 0.0f); }

std::unique_ptr<EffectProcessor> preparedEffect(EffectKind kind, std::initializer_list<float> parameters,
                                                double sampleRate) {
    auto effect = makeEffectProcessor(kind);
    int index = 0;
    for (float value : parameters) effect->setParameter(index++, value);
    effect->prepare(sampleRate);
    return effect;
}

void processInBlocks(StereoBuffer& buffer, int blockFrames, const std::function<void(float*, int)>& process) {
    const int frames = static_cast<int>(buffer.size() / 2);
    for (int start = 0; start < frames; start += blockFrames)
        process(buffer.data() + 2 * start, std::min(blockFrames, frames - start));
}

double toneLevelDb(const StereoBuffer& buffer, int channel, int first, int count, double hz, double sampleRate) {
    double sine = 0.0, cosine = 0.0;
    for (int i = first; i < first + count; ++i) {
        const double phase = 2.0 * std::numbers::pi * hz * i / sampleRate;
        sine += buffer[2 * i + channel] * std::sin(phase);
        cosine += buffer[2 * i + channel] * std::cos(phase);
    }
    const double amplitude = 2.0 * std::hypot(sine, cosine) / count;
    return 20.0 * std::log10(std::max(amplitude, 1e-20));
}

double rmsDb(const StereoBuffer& buffer, int channel, int first, int count) {
    double sum = 0.0;
    for (int i = first; i < first + count; ++i) sum += double{buffer[2 * i + channel]} * buffer[2 * i + channel];
    return sum > 0.0 ? 10.0 * std::log10(sum / count) : -400.0;
}

std::vector<double> blockRms(const StereoBuffer& buffer, int channel, int blockFrames) {
    std::vector<double> levels;
    const int frames = static_cast<int>(buffer.size() / 2);
    for (int start = 0; start + blockFrames <= frames; start += blockFrames) {
        double sum = 0.0;
        for (int i = start; i < start + blockFrames; ++i)
            sum += double{buffer[2 * i + channel]} * buffer[2 * i + channel];
        levels.push_back(std::sqrt(sum / blockFrames));
    }
    return levels;
}

double dominantFrequency(const std::vector<double>& sequence, double sequenceRate, double lowHz, double highHz,
                         double stepHz) {
    double mean = 0.0;
    for (double v : sequence) mean += v;
    mean /= static_cast<double>(sequence.size());
    double bestHz = lowHz, bestPower = -1.0;
    for (double hz = lowHz; hz <= highHz; hz += stepHz) {
        double re = 0.0, im = 0.0;
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / sequenceRate;
            re += (sequence[i] - mean) * std::cos(phase);
            im += (sequence[i] - mean) * std::sin(phase);
        }
        if (re * re + im * im > bestPower) {
            bestPower = re * re + im * im;
            bestHz = hz;
        }
    }
    return bestHz;
}

double peakMagnitude(const StereoBuffer& buffer) {
    double peak = 0.0;
    for (float s : buffer) peak = std::max(peak, double{std::fabs(s)});
    return peak;
}

bool allFinite(const StereoBuffer& buffer) {
    return std::all_of(buffer.begin(), buffer.end(), [](float s) { return std::isfinite(s); });
}

int countSubnormals(const StereoBuffer& buffer) {
    return static_cast<int>(
        std::count_if(buffer.begin(), buffer.end(), [](float s) { return std::fpclassify(s) == FP_SUBNORMAL; }));
}

}  // namespace quillmix::test

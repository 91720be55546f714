#include "support/sound_signals.h"

#include <cmath>
#include <random>

namespace quillmix::test {

std::vector<std::int16_t> soundNoise(int frames, unsigned seed, int amplitude) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> dist(-amplitude, amplitude);
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
    for (auto& s : out) s = static_cast<std::int16_t>(dist(rng));
    return out;
}

std::vector<std::int16_t> soundSine(int frames, double hertz, double rate, double amplitude) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
    for (int n = 0; n < frames; ++n) {
        const auto v = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hertz * n / rate)));
        out[2 * n] = v;
        out[2 * n + 1] = v;
    }
    return out;
}

std::vector<int> soundChunkEnds() {
    std::vector<int> offsets;
    for (int i = 0; i < 120; ++i) offsets.push_back(i * 11760 + 11759);
    return offsets;
}

std::vector<double> soundChannel(const std::vector<std::int16_t>& samples, int stride, int offset) {
    std::vector<double> out;
    for (std::size_t i = static_cast<std::size_t>(offset); i < samples.size(); i += static_cast<std::size_t>(stride))
        out.push_back(samples[i]);
    return out;
}

double soundRms(const std::vector<double>& x) {
    double sum = 0;
    for (double v : x) sum += v * v;
    return x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
}

namespace {
double binPower(const std::vector<double>& x, double hertz, double rate) {
    double re = 0, im = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * n / (x.size() - 1));  // Hann
        re += w * x[n] * std::cos(2 * M_PI * hertz * n / rate);
        im -= w * x[n] * std::sin(2 * M_PI * hertz * n / rate);
    }
    return re * re + im * im;
}
}  // namespace

double soundMeasureFrequency(const std::vector<double>& x, double rate) {
    int crossings = 0;
    for (std::size_t n = 1; n < x.size(); ++n)
        if ((x[n - 1] < 0) != (x[n] < 0)) ++crossings;
    const double rough = crossings * rate / (2.0 * static_cast<double>(x.size()));
    double best = rough, bestPower = -1;
    for (double span = rough * 0.02; span > 0.01; span /= 4) {
        const double centre = best;
        for (int k = -10; k <= 10; ++k) {
            const double f = centre + span * k / 10.0;
            const double p = binPower(x, f, rate);
            if (p > bestPower) {
                bestPower = p;
                best = f;
            }
        }
    }
    return best;
}

}  // namespace quillmix::test

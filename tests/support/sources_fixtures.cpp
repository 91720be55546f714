#include "support/sources_fixtures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "sound/wav_file_writer.h"

namespace quillmix::test {

std::vector<std::int16_t> sourcesSignal(int frames, int channels, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames) * channels);
    for (int k = 0; k < frames; ++k) {
        const double t = k / 44100.0;
        for (int c = 0; c < channels; ++c) {
            const double tone = 0.3 * std::sin(2 * M_PI * (220.0 + 110.0 * c) * t) +
                                0.2 * std::sin(2 * M_PI * (1000.0 + 400.0 * t) * t) + noise(random);
            samples[static_cast<std::size_t>(k) * channels + c] = static_cast<std::int16_t>(std::lround(tone * 32767));
        }
    }
    return samples;
}

std::vector<std::int16_t> sourcesSilence(int frames, int channels) {
    return std::vector<std::int16_t>(static_cast<std::size_t>(frames) * channels, 0);
}

void sourcesWriteWav16(const std::filesystem::path& file, const std::vector<std::int16_t>& samples, int channels,
                       int sampleRate) {
    WavFileWriter writer;
    if (writer.open(file.string(), sampleRate, channels)) writer.write(samples.data(), samples.size());
}

std::string sourcesWav(const std::filesystem::path& file, const std::vector<std::int16_t>& samples, int channels) {
    sourcesWriteWav16(file, samples, channels, 44100);
    return file.string();
}

std::string sourcesQuote(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool sourcesEncode(const std::filesystem::path& input, const std::filesystem::path& output,
                   const std::string& arguments) {
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + sourcesQuote(input) + " " +
                                arguments + " " + sourcesQuote(output);
    return std::system(command.c_str()) == 0;
}

std::vector<std::uint8_t> sourcesReferenceDecode(const std::filesystem::path& file, int channels,
                                                 const std::string& sampleFormat) {
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -i " + sourcesQuote(file) + " -f " +
                                sampleFormat + " -ac " + std::to_string(channels) + " -ar 44100 -";
    std::vector<std::uint8_t> samples;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return samples;
    std::uint8_t buffer[16384];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) samples.insert(samples.end(), buffer, buffer + got);
    pclose(pipe);
    return samples;
}

std::string sourcesEncoderArguments(const std::string& format) {
    if (format == "mp3") return "-c:a libmp3lame -b:a 192k";
    if (format == "ogg") return "-c:a libvorbis -q:a 4";
    if (format == "opus" || format == "mka") return "-c:a libopus -b:a 128k";  // Ogg, Matroska
    if (format == "flac") return "-c:a flac";
    if (format == "wma") return "-c:a wmav2 -b:a 128k";
    // Noise substitution fills bands with random noise, which no decoder repeats after a
    // seek; the fixtures leave it out so that seeking can be compared sample for sample.
    if (format == "m4a") return "-c:a aac -b:a 160k -aac_pns 0";
    return "-c:a pcm_s16le";
}

}  // namespace quillmix::test

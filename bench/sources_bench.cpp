// Track sources: decode speed per format against the ffmpeg command-line decoder on the same
// file, and the time from a load to a playable deck. Fixtures are made at run time in a
// temporary folder with the ffmpeg tool.
//
// Counters: x_realtime is audio seconds decoded per wall-clock second by our decoder;
// cli_x_realtime the same for `ffmpeg -i FILE -f s16le -ar 44100 -y /dev/null`, whole
// process (start-up included); cli_decode_x_realtime uses the tool's own timing of its
// run (-benchmark rtime); ratio_vs_cli is x_realtime / cli_decode_x_realtime (above 1: we
// are faster).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/audio_decoder.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"

namespace {

using namespace quillmix;
namespace fs = std::filesystem;

constexpr int kDecodeFixtureSeconds = 60;
constexpr int kLoadFixtureSeconds = 300;

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class FixtureFolder {
public:
    FixtureFolder() {
        char pattern[] = "/tmp/quillmix-bench-XXXXXX";
        if (const char* made = mkdtemp(pattern)) path_ = made;
    }
    ~FixtureFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

FixtureFolder& folder() {
    static FixtureFolder instance;
    return instance;
}

// Music-like stereo material: tones, a sweep and noise, so encoders work as hard as usual.
fs::path sourceWav(int seconds) {
    const fs::path file = folder().path() / ("source" + std::to_string(seconds) + ".wav");
    if (fs::exists(file)) return file;
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
        "\"aevalsrc=0.3*sin(2*PI*220*t)+0.2*sin(2*PI*(500+300*sin(t))*t)+0.05*(random(0)-0.5)|0.3*sin(2*PI*330*t)+0.2*"
        "sin(2*PI*(700+200*sin(t))*t)+0.05*(random(1)-0.5):s=44100:d=" +
        std::to_string(seconds) + "\" -c:a pcm_s16le " + quoted(file);
    std::system(command.c_str());
    return file;
}

const std::map<std::string, std::string>& encoderArguments() {
    static const std::map<std::string, std::string> arguments = {{"mp3", "-c:a libmp3lame -b:a 192k"},
                                                                 {"ogg", "-c:a libvorbis -q:a 5"},
                                                                 {"opus", "-c:a libopus -b:a 128k"},
                                                                 {"flac", "-c:a flac"},
                                                                 {"wav", "-c:a pcm_s16le"},
                                                                 {"wma", "-c:a wmav2 -b:a 192k"},
                                                                 {"m4a", "-c:a aac -b:a 192k"}};
    return arguments;
}

fs::path encoded(const std::string& format, int seconds, const std::string& arguments) {
    const fs::path file = folder().path() / ("fixture" + std::to_string(seconds) + "_" + format + "." +
                                             (format == "mp3_320" ? "mp3" : format));
    if (fs::exists(file)) return file;
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -i " + quoted(sourceWav(seconds)) + " " + arguments + " " + quoted(file);
    std::system(command.c_str());
    return file;
}

struct CliTiming {
    double wallSeconds = 0;
    double decodeSeconds = 0;  // the tool's own rtime
};

CliTiming timeCliDecode(const fs::path& file) {
    const std::string command = "ffmpeg -nostdin -benchmark -i " + quoted(file) +
                                " -f s16le -ar 44100 -y /dev/null 2>&1 | grep -o 'rtime=[0-9.]*'";
    const auto start = std::chrono::steady_clock::now();
    CliTiming timing;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[128] = {};
        if (std::fgets(line, sizeof line, pipe)) timing.decodeSeconds = std::atof(line + 6);
        pclose(pipe);
    }
    timing.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return timing;
}

void BM_Decode(benchmark::State& state, const std::string& format) {
    const fs::path file = encoded(format, kDecodeFixtureSeconds, encoderArguments().at(format));
    std::vector<std::uint8_t> block(kChunkBytes);
    double audioSeconds = 0;
    double decodeSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        AudioDecoder decoder;
        if (decoder.open(file.string()) != kStatusOk) {
            state.SkipWithError("the fixture did not open");
            return;
        }
        std::int64_t bytes = 0;
        int got = 0;
        while (decoder.readBlock(block.data(), kChunkBytes, got) == kStatusOk) bytes += got;
        bytes += got;
        benchmark::DoNotOptimize(block.data());
        decodeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        audioSeconds = static_cast<double>(bytes) / decoder.format().frameBytes() / 44100.0;
    }
    const double oursRealtime = audioSeconds * static_cast<double>(state.iterations()) / decodeSeconds;
    const CliTiming cli = timeCliDecode(file);
    state.counters["x_realtime"] = oursRealtime;
    state.counters["cli_x_realtime"] = audioSeconds / cli.wallSeconds;
    if (cli.decodeSeconds > 0) {
        state.counters["cli_decode_x_realtime"] = audioSeconds / cli.decodeSeconds;
        state.counters["ratio_vs_cli"] = oursRealtime / (audioSeconds / cli.decodeSeconds);
    }
    state.SetLabel(std::to_string(kDecodeFixtureSeconds) + " s " + format);
}

// Open a five-minute 320 kbps MP3 and decode the 121 chunks that make a deck playable into
// a ring, as the read-forward thread does (without the thread start, which costs tens of
// microseconds).
void BM_LoadToPlayable(benchmark::State& state) {
    const fs::path file = encoded("mp3_320", kLoadFixtureSeconds, "-c:a libmp3lame -b:a 320k");
    CZanTrackReader reader;
    CZanReadAheadRing ring;
    for (auto _ : state) {
        if (reader.open(file.string()) != kStatusOk) {
            state.SkipWithError("the fixture did not open");
            return;
        }
        ring.resetForProducer();
        for (int chunk = 0; chunk < 121; ++chunk) {
            const int slot = ring.writeIndex();
            std::int32_t bytes = 0;
            bool end = false;
            reader.readChunk(0, ring.chunk(slot), bytes, end);
            ring.publish(slot, reader.path());
            ring.advanceWriteIndex();
        }
        state.PauseTiming();
        reader.close();
        state.ResumeTiming();
    }
    state.counters["track_seconds"] = kLoadFixtureSeconds;
}

void registerSourcesBenchmarks() {
    for (const char* format : {"mp3", "ogg", "opus", "flac", "wav", "wma", "m4a"}) {
        benchmark::RegisterBenchmark((std::string("BM_Decode/") + format).c_str(), BM_Decode, std::string(format))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(1.0);
    }
    benchmark::RegisterBenchmark("BM_LoadToPlayable", BM_LoadToPlayable)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(1.0);
}

const bool registered = (registerSourcesBenchmarks(), true);

}  // namespace

// Seeking in a one-hour track: the time from a reader's seek to the first chunk of the new
// place, per format. Fixtures are made at run time in a temporary folder with the ffmpeg
// tool: a mono tone at a low bit rate, so that an hour encodes in seconds.
//
// Counters: median_ms is the median over every seek timed (targets spread over the whole
// track, the far end included); max_ms the slowest one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dsp/chunk_format.h"
#include "platform/audio_decoder.h"
#include "sources/track_reader.h"

namespace {

using namespace quillmix;
namespace fs = std::filesystem;

constexpr int kTrackSeconds = 3600;

struct SeekFormat {
    const char* name;       // the benchmark's name
    const char* extension;  // the file's
    const char* arguments;  // the encoder's
};

// Every format the decoder tests decode, and Opus in Matroska, whose clock is in
// milliseconds.
constexpr SeekFormat kFormats[] = {{"mp3", "mp3", "-c:a libmp3lame -b:a 32k"},
                                   {"ogg", "ogg", "-c:a libvorbis -q:a 0"},
                                   {"opus", "opus", "-c:a libopus -b:a 16k"},
                                   {"opus_mka", "mka", "-c:a libopus -b:a 16k"},
                                   {"flac", "flac", "-c:a flac"},
                                   {"wav", "wav", "-c:a pcm_s16le"},
                                   {"wma", "wma", "-c:a wmav2 -b:a 32k"},
                                   {"m4a", "m4a", "-c:a aac -b:a 32k"}};

class SeekFixtures {
public:
    SeekFixtures() {
        char pattern[] = "/tmp/quillmix-seek-bench-XXXXXX";
        if (const char* made = mkdtemp(pattern)) path_ = made;
    }
    ~SeekFixtures() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path file(const SeekFormat& format) {
        const fs::path file = path_ / (std::string("hour_") + format.name + "." + format.extension);
        if (fs::exists(file)) return file;
        const std::string command =
            "ffmpeg -nostdin -loglevel error -y -f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=" +
            std::to_string(kTrackSeconds) + "\" -ac 1 " + format.arguments + " '" + file.string() + "'";
        if (std::system(command.c_str()) != 0) return {};
        return file;
    }

private:
    fs::path path_;
};

SeekFixtures& fixtures() {
    static SeekFixtures instance;
    return instance;
}

// Seek targets that visit the whole track in an order no read-ahead could guess.
double seekTarget(std::int64_t index) {
    static constexpr double kTargets[] = {0.5, 0.1, 0.99, 0.73, 0.25, 0.9, 0.02, 0.61, 0.37, 0.84};
    return kTargets[index % std::size(kTargets)];
}

void BM_Seek(benchmark::State& state, SeekFormat format) {
    const fs::path file = fixtures().file(format);
    CZanTrackReader reader;
    if (file.empty() || reader.open(file.string()) != kStatusOk) {
        state.SkipWithError("the fixture did not open");
        return;
    }
    std::vector<std::int16_t> chunk(kChunkBytes / 2);
    std::vector<double> milliseconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        reader.seek(seekTarget(static_cast<std::int64_t>(milliseconds.size())));
        std::int32_t bytes = 0;
        bool end = false;
        reader.readChunk(0, chunk.data(), bytes, end);
        benchmark::DoNotOptimize(chunk.data());
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        milliseconds.push_back(elapsed * 1000.0);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
    state.counters["max_ms"] = milliseconds.back();
    state.SetLabel("1 h " + std::string(format.name));
}

void registerSeekBenchmarks() {
    for (const SeekFormat& format : kFormats) {
        benchmark::RegisterBenchmark((std::string("BM_Seek/") + format.name).c_str(), BM_Seek, format)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->MinTime(0.5);
    }
}

const bool registered = (registerSeekBenchmarks(), true);

}  // namespace

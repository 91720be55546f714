// The whole engine: 60 s of two decks playing 320 kbps MP3s, each with a five-band equaliser
// (flat) and reverb, the analysis on, rendered by the render session on stepped devices.
// Reports the engine's CPU time per second of audio (as % of one core) and the real-time
// factor. BM_RenderTwoDecks runs the devices at 44100 Hz, BM_RenderTwoDecks/48000 at 48000
// (every buffer resampled).
//
// BM_RenderTwoDecksVsSox renders the same work with the engine and with sox (decode, five
// flat equaliser bands and reverb per file, then the mix) in one run, and reports both
// figures and how many times cheaper the engine is ("sox_over_quillmix"). It is skipped
// where sox cannot read MP3 files.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "tools/render/render_script.h"
#include "tools/render/render_session.h"

namespace {

std::filesystem::path fixtureFolder() {
    static const std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / "quillmix-bench-render";
        std::filesystem::create_directories(dir);
        for (auto [name, hz] : {std::pair{"a.mp3", 440}, std::pair{"b.mp3", 554}}) {
            const auto file = dir / name;
            if (std::filesystem::exists(file)) continue;
            const std::string command = "ffmpeg -loglevel error -y -f lavfi -i \"sine=frequency=" + std::to_string(hz) +
                                        ":duration=65\" -f lavfi -i \"anoisesrc=d=65:a=0.1\" " +
                                        "-filter_complex amix=inputs=2,aformat=channel_layouts=stereo -ar 44100 " +
                                        "-b:a 320k \"" + file.string() + "\"";
            if (std::system(command.c_str()) != 0) return std::filesystem::path();
        }
        return dir;
    }();
    return folder;
}

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "quillmix-bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Renders the scripted minute on devices at `rate`; returns the engine's CPU seconds per
// second of audio and the real-time factor, or nothing (after reporting the error) when
// the fixtures could not be made.
std::optional<std::pair<double, double>> renderTwoDecks(benchmark::State& state, int rate) {
    application();
    const auto dir = fixtureFolder();
    if (dir.empty()) {
        state.SkipWithError("ffmpeg could not make the fixtures");
        return std::nullopt;
    }
    std::string script;
    for (const char* deck : {"A", "B"}) {
        const std::string file = (dir / (std::string(deck) == "A" ? "a.mp3" : "b.mp3")).string();
        script += std::string("0 load ") + deck + " " + file + "\n0 eq " + deck + " bands 5\n0 eq " + deck + " on\n" +
                  "0 effect " + deck + " Reverb\n0 level " + deck + " 1\n";
    }
    script += "0 analysis octave\n0 play A\n0 play B\n60 end\n";
    const auto actions = quillmix::render::parseScript(script).actions;
    quillmix::render::RenderOptions options;
    options.rate = rate;
    options.mainWav = (dir / "main.wav").string();
    options.monitorWav = (dir / "monitor.wav").string();
    quillmix::render::RenderSession session(options);
    const auto figures = session.run(actions);
    return std::pair{figures.cpuSeconds / figures.renderedSeconds, figures.renderedSeconds / figures.wallSeconds};
}

void renderTwoDecksAt(benchmark::State& state, int rate) {
    double cpuPerSecond = 0, realtime = 0;
    for (auto _ : state) {
        const auto figures = renderTwoDecks(state, rate);
        if (!figures) return;
        std::tie(cpuPerSecond, realtime) = *figures;
    }
    state.counters["cpu_percent_of_core"] = 100.0 * cpuPerSecond;
    state.counters["realtime_factor"] = realtime;
}

void BM_RenderTwoDecks(benchmark::State& state) { renderTwoDecksAt(state, 44100); }
BENCHMARK(BM_RenderTwoDecks)->Iterations(1)->Unit(benchmark::kSecond);

void BM_RenderTwoDecks48000(benchmark::State& state) { renderTwoDecksAt(state, 48000); }
BENCHMARK(BM_RenderTwoDecks48000)->Name("BM_RenderTwoDecks/48000")->Iterations(1)->Unit(benchmark::kSecond);

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// sox's CPU seconds per second of audio for the same minute, or a negative value when sox
// failed (no MP3 support, most likely).
double soxCpuPerSecond(const std::filesystem::path& dir) {
    std::string perFile;
    for (const char* centre : {"46.875", "187.5", "750", "3000", "12000"})
        perFile += std::string(" equalizer ") + centre + " 2o 0";
    perFile += " reverb";
    auto input = [&](const char* name) {
        return "\"|sox -q " + (dir / name).string() + " -p trim 0 60" + perFile + "\"";
    };
    const std::string command =
        "sox -q -m " + input("a.mp3") + " " + input("b.mp3") + " -b 16 " + (dir / "sox.wav").string() + " 2>/dev/null";
    const double before = childCpuSeconds();
    if (std::system(command.c_str()) != 0) return -1.0;
    return (childCpuSeconds() - before) / 60.0;
}

void BM_RenderTwoDecksVsSox(benchmark::State& state) {
    double engine = 0, sox = 0;
    for (auto _ : state) {
        const auto figures = renderTwoDecks(state, 44100);
        if (!figures) return;
        engine = figures->first;
        sox = soxCpuPerSecond(fixtureFolder());
        if (sox < 0) {
            state.SkipWithError("sox could not render the MP3 fixtures");
            return;
        }
    }
    state.counters["quillmix_cpu_percent"] = 100.0 * engine;
    state.counters["sox_cpu_percent"] = 100.0 * sox;
    state.counters["sox_over_quillmix"] = sox / engine;
}
BENCHMARK(BM_RenderTwoDecksVsSox)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

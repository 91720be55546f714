// The whole engine: 60 s of two decks playing 320 kbps MP3s, each with a five-band equaliser
// and reverb, the analysis on, rendered by the render session on stepped devices. Reports
// the engine's CPU time per second of audio (as % of one core) and the real-time factor.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench_application.h"

#include <cstdlib>
#include <filesystem>
#include <string>

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
            const std::string command = "ffmpeg -loglevel error -y -f lavfi -i \"sine=frequency=" +
                                        std::to_string(hz) + ":duration=65\" -f lavfi -i \"anoisesrc=d=65:a=0.1\" " +
                                        "-filter_complex amix=inputs=2,aformat=channel_layouts=stereo -ar 44100 " +
                                        "-b:a 320k \"" + file.string() + "\"";
            if (std::system(command.c_str()) != 0) return std::filesystem::path();
        }
        return dir;
    }();
    return folder;
}

QApplication& application() { return quillmix::bench::benchApplication(); }

void BM_RenderTwoDecks(benchmark::State& state) {
    application();
    const auto dir = fixtureFolder();
    if (dir.empty()) {
        state.SkipWithError("ffmpeg could not make the fixtures");
        return;
    }
    std::string script;
    for (const char* deck : {"A", "B"}) {
        const std::string file = (dir / (std::string(deck) == "A" ? "a.mp3" : "b.mp3")).string();
        script += std::string("0 load ") + deck + " " + file + "\n0 eq " + deck + " bands 5\n0 eq " + deck + " on\n" +
                  "0 effect " + deck + " Reverb\n0 level " + deck + " 1\n";
    }
    script += "0 analysis octave\n0 play A\n0 play B\n60 end\n";
    const auto actions = quillmix::render::parseScript(script).actions;
    double cpuPerSecond = 0, realtime = 0;
    for (auto _ : state) {
        quillmix::render::RenderOptions options;
        options.mainWav = (dir / "main.wav").string();
        options.monitorWav = (dir / "monitor.wav").string();
        quillmix::render::RenderSession session(options);
        const auto figures = session.run(actions);
        cpuPerSecond = figures.cpuSeconds / figures.renderedSeconds;
        realtime = figures.renderedSeconds / figures.wallSeconds;
    }
    state.counters["cpu_percent_of_core"] = 100.0 * cpuPerSecond;
    state.counters["realtime_factor"] = realtime;
}
BENCHMARK(BM_RenderTwoDecks)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

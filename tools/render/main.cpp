// quillmix-render [--rate HZ] [--period FRAMES] --main MAIN.wav [--monitor MONITOR.wav] SCRIPT
//
// Renders a script of timed mixer actions through the real engine on stepped devices,
// writes the outputs as 16-bit stereo WAV and prints its figures.
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/render/render_script.h"
#include "tools/render/render_session.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: quillmix-render [--rate HZ] [--period FRAMES] --main MAIN.wav [--monitor MONITOR.wav] "
                 "SCRIPT\n");
    return 2;
}

bool positiveNumber(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value <= 0 || value > 1000000) return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    quillmix::render::RenderOptions options;
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--rate" && hasValue) {
            if (!positiveNumber(argv[++i], options.rate)) return usage();
        } else if (arg == "--period" && hasValue) {
            if (!positiveNumber(argv[++i], options.period)) return usage();
        } else if (arg == "--main" && hasValue) {
            options.mainWav = argv[++i];
        } else if (arg == "--monitor" && hasValue) {
            options.monitorWav = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && scriptPath.empty()) {
            scriptPath = arg;
        } else {
            return usage();
        }
    }
    if (options.mainWav.empty() || scriptPath.empty()) return usage();

    std::ifstream in(scriptPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", scriptPath.c_str());
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    const auto parsed = quillmix::render::parseScript(text.str());
    if (parsed.errorLine != 0) {
        std::fprintf(stderr, "%s:%d: %s\n", scriptPath.c_str(), parsed.errorLine, parsed.error.c_str());
        return 2;
    }

    QCoreApplication application(argc, argv);
    quillmix::render::RenderFigures figures;
    {
        quillmix::render::RenderSession session(options);
        if (!session.ready()) {
            std::fprintf(stderr, "cannot write the output files\n");
            return 2;
        }
        figures = session.run(parsed.actions);
    }
    std::printf("rendered_seconds=%.3f\n", figures.renderedSeconds);
    std::printf("cpu_seconds=%.3f\n", figures.cpuSeconds);
    std::printf("realtime_factor=%.1f\n",
                figures.wallSeconds > 0 ? figures.renderedSeconds / figures.wallSeconds : 0.0);
    std::printf("underruns=%d\n", figures.underruns);
    std::printf("read_ahead_timeouts=%d\n", figures.readAheadTimeouts);
    return 0;
}

#include "app/command_line_options.h"

#include <array>
#include <filesystem>
#include <string_view>

#ifndef QUILLMIX_VERSION
#error "QUILLMIX_VERSION must be defined by the build"
#endif

namespace quillmix {

namespace {

namespace fs = std::filesystem;

// Qt's own command-line options (QGuiApplication, QApplication), which it takes out of argv
// itself. Qt accepts them with one dash or two, and "-name=value" as well as "-name value".
constexpr std::array<std::string_view, 14> kQtOptionsWithValue = {"platform",
                                                                  "platformpluginpath",
                                                                  "platformtheme",
                                                                  "plugin",
                                                                  "qwindowgeometry",
                                                                  "geometry",
                                                                  "qwindowicon",
                                                                  "qwindowtitle",
                                                                  "title",
                                                                  "display",
                                                                  "name",
                                                                  "style",
                                                                  "stylesheet",
                                                                  "session"};
constexpr std::array<std::string_view, 6> kQtFlags = {"reverse", "nograb",      "dograb",
                                                      "sync",    "widgetcount", "qmljsdebugger"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& table, std::string_view name) {
    for (std::string_view entry : table)
        if (entry == name) return true;
    return false;
}

// The bare name of a Qt option ("-style=x" and "--style" give "style"), or "" for none.
std::string_view qtOptionName(std::string_view arg, bool& hasInlineValue) {
    std::string_view name = arg.substr(arg.rfind("--", 0) == 0 ? 2 : 1);
    const auto equals = name.find('=');
    hasInlineValue = equals != std::string_view::npos;
    if (hasInlineValue) name = name.substr(0, equals);
    if (contains(kQtOptionsWithValue, name) || contains(kQtFlags, name)) return name;
    return {};
}

std::string absolute(const std::string& path, const std::string& workingFolder) {
    const fs::path p(path);
    if (p.is_absolute()) return p.lexically_normal().string();
    return (fs::path(workingFolder) / p).lexically_normal().string();
}

CommandLineOptions usageError(std::string message) {
    CommandLineOptions o;
    o.action = CommandLineOptions::Action::usageError;
    o.error = std::move(message);
    return o;
}

}  // namespace

CommandLineOptions parseCommandLine(int argc, const char* const* argv, const std::string& workingFolder) {
    CommandLineOptions o;
    o.qtArguments.push_back(argc > 0 ? argv[0] : "quillmix");
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasNext = i + 1 < argc;
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            o.files.push_back(absolute(arg, workingFolder));
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            o.action = CommandLineOptions::Action::help;
            return o;
        } else if (arg == "--version") {
            o.action = CommandLineOptions::Action::version;
            return o;
        } else if (arg == "--device" || arg == "--record" || arg == "--deck-b") {
            if (!hasNext || argv[i + 1][0] == '\0') return usageError(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--device")
                o.device = value;
            else if (arg == "--record")
                o.recordPath = absolute(value, workingFolder);
            else
                o.deckBFile = absolute(value, workingFolder);
        } else {
            bool inlineValue = false;
            const std::string_view qt = qtOptionName(arg, inlineValue);
            if (qt.empty()) return usageError("unknown option " + arg);
            o.qtArguments.push_back(arg);
            if (!inlineValue && contains(kQtOptionsWithValue, qt)) {
                if (!hasNext) return usageError(arg + " needs a value");
                o.qtArguments.push_back(argv[++i]);
            }
        }
    }
    if (!o.recordPath.empty() && !o.device.empty() && o.device != kRecorderDeviceName)
        return usageError("--record records through the built-in recorder; it cannot be used with --device " +
                          o.device);
    return o;
}

std::string commandLineHelp() {
    return "Usage: quillmix [OPTION]... [FILE]...\n"
           "Plays the sound files (or m3u/pls play lists) named after the options: tracks load into deck A.\n"
           "  --device NAME      play the main output on the sound device NAME for this run (\"recorder\": the "
           "built-in recorder)\n"
           "  --record FILE.wav  play into the built-in recorder and write both outputs to FILE.wav (4 channels: main, "
           "monitor)\n"
           "  --deck-b FILE      load the sound file FILE into deck B (and the play list, for deck B) at start-up\n"
           "  --help             show this help and exit\n"
           "  --version          show the version and exit\n"
           "  -platform NAME, -style NAME, ...  Qt's own options, passed on to Qt\n"
           "  --                 end of options: every later argument is a file\n"
           "Environment: QUILLMIX_AUDIO_DEVICE=recorder, QUILLMIX_RECORD_WAV=FILE, QUILLMIX_AUDIO_PERIOD=FRAMES.\n";
}

std::string versionText() { return std::string("Quillmix ") + QUILLMIX_VERSION; }

}  // namespace quillmix

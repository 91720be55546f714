#pragma once
// The program's command line, read before any window system is touched: our own options,
// the options Qt takes for itself (passed on untouched), and the sound files to load.
//
//   quillmix [--device NAME] [--record FILE.wav] [--deck-b FILE] [Qt options] [FILE...]
//
// Options and files may come in any order; "--" ends the options. Every path is made
// absolute against the working folder, so that relative paths mean what the user typed
// however the program later moves about.

#include <string>
#include <vector>

namespace quillmix {

struct CommandLineOptions {
    enum class Action { run, help, version, usageError };
    Action action = Action::run;
    std::string error;                     // usageError: what was wrong, one line
    std::string device;                    // --device: the main output for this run; empty: the stored one
    std::string recordPath;                // --record: absolute WAV path; empty: not asked
    std::vector<std::string> files;        // absolute paths, in command-line order
    std::string deckBFile;                 // --deck-b: absolute path for deck B; empty: none
    std::vector<std::string> qtArguments;  // argv[0] first, then Qt's own options as given
};

// Reads argv. Never touches the window system, the sound system or the settings.
CommandLineOptions parseCommandLine(int argc, const char* const* argv, const std::string& workingFolder);

// One line per option, ready to print.
std::string commandLineHelp();
// "Quillmix <version>".
std::string versionText();

// The device name the built-in recorder answers to on the command line.
inline constexpr const char* kRecorderDeviceName = "recorder";

}  // namespace quillmix

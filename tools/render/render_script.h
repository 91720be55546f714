#pragma once
// The script of the headless render tool: one timed action per line,
//   TIME COMMAND ARGS...
// TIME is in seconds of rendered output and never decreases. Empty lines and lines whose
// first non-blank character is '#' are ignored. A deck is A or B; a path may be quoted
// with double quotes (a quoted path may hold blanks; \" and \\ escape inside quotes).

#include <optional>
#include <string>
#include <vector>

namespace quillmix::render {

enum class Command {
    load,
    queue,
    playlist,
    play,
    pause,
    tempo,
    level,
    fader,
    curve,
    pan,
    balance,
    volume,
    cue,
    seek,
    reverse,
    ffwd,
    rwnd,
    next,
    prev,
    eqBands,
    eqSwitch,
    eqGain,
    effect,
    effectOff,
    analysis,
    end
};

enum class Output { main, monitor };
enum class AnalysisMode { octave, scope, off };

struct Action {
    int line = 0;     // 1-based line of the script
    double time = 0;  // seconds of rendered output
    Command command = Command::end;
    int deck = 0;  // 0 = A, 1 = B
    Output output = Output::main;
    std::string path;  // load, queue, playlist
    std::string name;  // effect name
    double value = 0;  // the number of tempo, level, fader, curve, pan, balance, volume, seek
    bool on = false;   // cue, reverse, ffwd, rwnd, eq on/off
    int count = 0;     // eq bands: 2, 3 or 5; eq gain: band from 1
    std::optional<double> parameter1, parameter2;  // effect parameters in their own units
    AnalysisMode analysis = AnalysisMode::off;
};

struct ParseResult {
    std::vector<Action> actions;
    int errorLine = 0;  // 0 when the whole script parsed
    std::string error;
};

ParseResult parseScript(const std::string& text);

}  // namespace quillmix::render

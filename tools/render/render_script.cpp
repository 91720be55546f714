#include "tools/render/render_script.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace quillmix::render {

namespace {

// Splits a line into words; a word in double quotes may hold blanks.
bool splitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) c = line[i++];
                word += c;
            }
            if (!closed) {
                error = "unterminated quote";
                return false;
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) word += line[i++];
        }
        words.push_back(word);
    }
    return true;
}

bool toNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(out);
}

struct LineParser {
    const std::vector<std::string>& w;
    Action& a;
    std::string error;

    bool fail(const std::string& why) {
        error = why;
        return false;
    }
    bool argCount(size_t n) {
        return w.size() == n + 2 ? true : fail("expected " + std::to_string(n) + " argument(s)");
    }
    bool deck(size_t i) {
        if (w[i] == "A" || w[i] == "a")
            a.deck = 0;
        else if (w[i] == "B" || w[i] == "b")
            a.deck = 1;
        else
            return fail("deck must be A or B");
        return true;
    }
    bool number(size_t i, double lo, double hi, double& out) {
        if (!toNumber(w[i], out)) return fail("not a number: " + w[i]);
        if (out < lo || out > hi) return fail(w[i] + " is out of range");
        return true;
    }
    bool onOff(size_t i) {
        if (w[i] == "on")
            a.on = true;
        else if (w[i] == "off")
            a.on = false;
        else
            return fail("expected on or off");
        return true;
    }
    bool output(size_t i) {
        if (w[i] == "main")
            a.output = Output::main;
        else if (w[i] == "monitor")
            a.output = Output::monitor;
        else
            return fail("expected main or monitor");
        return true;
    }
    bool deckOnly() { return argCount(1) && deck(2); }
    bool deckPath() { return argCount(2) && deck(2) && (a.path = w[3], true); }
    bool deckValue(double lo, double hi) { return argCount(2) && deck(2) && number(3, lo, hi, a.value); }
    bool deckSwitch() { return argCount(2) && deck(2) && onOff(3); }
    bool eq();
    bool effect();
    bool analysis();
    bool command();
};

bool LineParser::eq() {
    if (w.size() < 4 || !deck(2)) return fail("eq DECK bands N | on | off | gain BAND FACTOR");
    if (w[3] == "bands") {
        a.command = Command::eqBands;
        double n = 0;
        if (!argCount(3) || !number(4, 2, 5, n) || (n != 2 && n != 3 && n != 5)) return fail("bands must be 2, 3 or 5");
        a.count = static_cast<int>(n);
        return true;
    }
    if (w[3] == "gain") {
        a.command = Command::eqGain;
        double band = 0;
        if (!argCount(4) || !number(4, 1, 5, band) || band != std::floor(band)) return fail("band must be 1 to 5");
        a.count = static_cast<int>(band);
        return number(5, 0.85, 1.15, a.value);
    }
    a.command = Command::eqSwitch;
    return argCount(2) && onOff(3);
}

bool LineParser::effect() {
    if (w.size() < 4 || !deck(2)) return fail("effect DECK NAME [P1 P2] | effect DECK off");
    if (w[3] == "off" && w.size() == 4) {
        a.command = Command::effectOff;
        return true;
    }
    a.command = Command::effect;
    a.name = w[3];
    if (w.size() == 4) return true;
    double p1 = 0, p2 = 0;
    if (w.size() != 6 || !toNumber(w[4], p1) || !toNumber(w[5], p2)) return fail("effect parameters are two numbers");
    a.parameter1 = p1;
    a.parameter2 = p2;
    return true;
}

bool LineParser::analysis() {
    if (!argCount(1)) return false;
    if (w[2] == "octave")
        a.analysis = AnalysisMode::octave;
    else if (w[2] == "scope")
        a.analysis = AnalysisMode::scope;
    else if (w[2] == "off")
        a.analysis = AnalysisMode::off;
    else
        return fail("analysis octave, scope or off");
    return true;
}

bool LineParser::command() {
    static const std::map<std::string, Command> names = {
        {"load", Command::load},         {"queue", Command::queue},     {"playlist", Command::playlist},
        {"play", Command::play},         {"pause", Command::pause},     {"tempo", Command::tempo},
        {"level", Command::level},       {"fader", Command::fader},     {"curve", Command::curve},
        {"pan", Command::pan},           {"balance", Command::balance}, {"volume", Command::volume},
        {"cue", Command::cue},           {"seek", Command::seek},       {"reverse", Command::reverse},
        {"ffwd", Command::ffwd},         {"rwnd", Command::rwnd},       {"next", Command::next},
        {"prev", Command::prev},         {"eq", Command::eqSwitch},     {"effect", Command::effect},
        {"analysis", Command::analysis}, {"end", Command::end}};
    auto it = names.find(w[1]);
    if (it == names.end()) return fail("unknown command " + w[1]);
    a.command = it->second;
    switch (a.command) {
        case Command::load:
        case Command::queue: return deckPath();
        case Command::playlist: return argCount(1) && (a.path = w[2], true);
        case Command::play:
        case Command::pause:
        case Command::next:
        case Command::prev: return deckOnly();
        case Command::tempo: return deckValue(-100, 100);
        case Command::level: return deckValue(0, 1);
        case Command::pan: return deckValue(-1, 1);
        case Command::seek: return deckValue(-1, 2);
        case Command::fader: return argCount(2) && output(2) && number(3, -1, 1, a.value);
        case Command::volume: return argCount(2) && output(2) && number(3, 0, 1, a.value);
        case Command::curve:
        case Command::balance: return argCount(1) && number(2, -1, 1, a.value);
        case Command::cue:
        case Command::reverse:
        case Command::ffwd:
        case Command::rwnd: return deckSwitch();
        case Command::eqSwitch: return eq();
        case Command::effect: return effect();
        case Command::analysis: return this->analysis();
        case Command::end: return argCount(0);
        default: return fail("unknown command");
    }
}

}  // namespace

ParseResult parseScript(const std::string& text) {
    ParseResult result;
    std::istringstream in(text);
    std::string line;
    double lastTime = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::vector<std::string> words;
        Action action;
        action.line = number;
        LineParser parser{words, action, {}};
        bool ok = splitWords(line, words, parser.error) && words.size() >= 2;
        if (ok && (!toNumber(words[0], action.time) || action.time < lastTime)) {
            ok = false;
            parser.error = "time must be a number, not decreasing";
        }
        if (ok) ok = parser.command();
        if (!ok) {
            result.errorLine = number;
            result.error = parser.error.empty() ? "expected TIME COMMAND ARGS" : parser.error;
            return result;
        }
        lastTime = action.time;
        result.actions.push_back(action);
    }
    return result;
}

}  // namespace quillmix::render

// quillmix-soak-check WORKDIR
//
// Checks a long render made by tools/soak.sh: WORKDIR holds tracks.tsv (index, deck,
// frequency, path), script.txt (the seeded actions), main.wav (deck A alone) and
// monitor.wav (deck B alone). Each track is a sine of its own frequency, so every 20 ms of
// output names the track heard (the frequency divided by the tempo the script set).
//
// Every change of track that no action of that deck disturbed is a hand-over, and must
//  - go to the entry after the track just heard in that deck's order (no successor skipped),
//  - have no silence longer than the two tracks' own quiet ends, as the ffmpeg tool decodes
//    them, allow (lossy formats pad and fade their ends),
//  - have no discontinuity sharper than twice what the two ends, each meeting silence, make,
//  - and a track heard from one hand-over to the next must last its decoded length.
// Prints one line per fault and the figures; exits 1 when a fault was found.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100;
constexpr int kWindow = 882;             // 20 ms
constexpr double kQuietFraction = 0.05;  // below 5 % of the tone's peak counts as quiet
constexpr double kMatch = 0.025;         // a frequency within 2.5 % names a track (they are 6 % apart)

struct Track {
    int index = 0, deck = 0;
    double hz = 0;
    std::string path;
    long frames = 0;  // decoded length
    long headQuiet = 0, tailQuiet = 0;
    double edgeCurvature = 0;  // largest |second difference| / peak, with silence either side
};

struct Timeline {
    std::vector<std::pair<double, double>> tempo;      // (time, percent)
    std::vector<std::pair<double, double>> disturbed;  // intervals an action on the deck disturbs
    std::vector<std::pair<double, int>> actions;       // (time, script line) of transport actions
    double tempoAt(double t) const {
        double v = 0;
        for (auto& [at, value] : tempo)
            if (at <= t) v = value;
        return v;
    }
    bool isDisturbed(double t) const {
        for (auto& [a, b] : disturbed)
            if (t >= a && t <= b) return true;
        return false;
    }
    // The last transport action before t, for the report.
    std::string lastActionBefore(double t) const {
        std::pair<double, int> last{-1, 0};
        for (auto& a : actions)
            if (a.first <= t) last = a;
        return last.second
                   ? "last action line " + std::to_string(last.second) + " at " + std::to_string(last.first) + " s"
                   : "no action before";
    }
};

std::vector<double> leftChannel(const std::vector<std::int16_t>& s) {
    std::vector<double> x(s.size() / 2);
    for (size_t i = 0; i < x.size(); ++i) x[i] = s[2 * i];
    return x;
}

std::vector<double> readWavLeft(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::int16_t> s(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
    if (!s.empty()) std::copy_n(bytes.data() + 44, s.size() * 2, reinterpret_cast<char*>(s.data()));
    return leftChannel(s);
}

std::vector<double> decodeLeft(const std::string& path) {
    const std::string command = "ffmpeg -v error -i '" + path + "' -f s16le -ac 2 -ar 44100 -";
    FILE* pipe = popen(command.c_str(), "r");
    std::vector<std::int16_t> s;
    std::int16_t buffer[8192];
    size_t n = 0;
    while (pipe && (n = std::fread(buffer, 2, 8192, pipe)) > 0) s.insert(s.end(), buffer, buffer + n);
    if (pipe) pclose(pipe);
    return leftChannel(s);
}

double peakOf(const std::vector<double>& x, size_t from, size_t to) {
    double p = 0;
    for (size_t i = from; i < std::min(to, x.size()); ++i) p = std::max(p, std::fabs(x[i]));
    return p;
}

double largestCurvature(const std::vector<double>& x, size_t from, size_t to) {
    double c = 0;
    for (size_t i = std::max<size_t>(from, 1); i + 1 < std::min(to, x.size()); ++i)
        c = std::max(c, std::fabs(x[i + 1] - 2 * x[i] + x[i - 1]));
    return c;
}

// The track's length as its container declares it, in frames at 44100 Hz; 0 if unknown.
// The ffmpeg tool's decode of an m4a keeps the encoder's end padding (up to 20 ms) that the
// declared length trims, and that the engine trims too.
long declaredFrames(const std::string& path) {
    const std::string command =
        "ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts,time_base "
        "-of default=noprint_wrappers=1:nokey=1 '" +
        path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char text[256] = {};
    const size_t n = pipe ? std::fread(text, 1, sizeof text - 1, pipe) : 0;
    if (pipe) pclose(pipe);
    long num = 0, den = 0;
    double ts = 0;
    if (n == 0 || std::sscanf(text, "%ld/%ld %lf", &num, &den, &ts) != 3 || den <= 0) return 0;
    return std::lround(ts * num / den * kRate);
}

void measureTrack(Track& t) {
    std::vector<double> x = decodeLeft(t.path);
    const long declared = declaredFrames(t.path);
    if (declared > 0 && declared < static_cast<long>(x.size()) && static_cast<long>(x.size()) - declared < kRate / 10)
        x.resize(declared);
    t.frames = static_cast<long>(x.size());
    const double peak = peakOf(x, 0, x.size()), quiet = kQuietFraction * peak;
    while (t.headQuiet < t.frames && std::fabs(x[t.headQuiet]) < quiet) ++t.headQuiet;
    while (t.tailQuiet < t.frames && std::fabs(x[t.frames - 1 - t.tailQuiet]) < quiet) ++t.tailQuiet;
    x.insert(x.begin(), 2, 0.0);
    x.insert(x.end(), 2, 0.0);
    t.edgeCurvature = peak > 0 ? largestCurvature(x, 0, x.size()) / peak : 0;
}

// Rising zero crossings, interpolated to a fraction of a sample, in [from, to).
std::vector<double> crossings(const std::vector<double>& x, size_t from, size_t to) {
    std::vector<double> c;
    for (size_t i = std::max<size_t>(from, 1); i < std::min(to, x.size()); ++i)
        if (x[i - 1] < 0 && x[i] >= 0) c.push_back(i - 1 + (-x[i - 1]) / (x[i] - x[i - 1]));
    return c;
}

// The frequency of a steady tone in [from, to), or 0 when the periods disagree.
double toneHz(const std::vector<double>& x, size_t from, size_t to) {
    const auto c = crossings(x, from, to);
    if (c.size() < 3) return 0;
    const double period = (c.back() - c.front()) / (c.size() - 1);
    for (size_t i = 1; i < c.size(); ++i)
        if (std::fabs(c[i] - c[i - 1] - period) > 0.05 * period) return 0;
    return kRate / period;
}

Timeline readTimeline(const std::string& script, int deck) {
    Timeline tl;
    std::ifstream in(script);
    std::string line;
    const std::string name(1, "AB"[deck]);
    std::map<std::string, double> heldSince;
    double effectSince = -1;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        double t = 0;
        std::string command, d, arg;
        if (!(words >> t >> command >> d) || d != name) continue;
        words >> arg;
        if (command == "tempo") tl.tempo.push_back({t, std::stod(arg)});
        if (command == "effect" && arg != "off") effectSince = t;
        if (command == "effect" && arg == "off" && effectSince >= 0) {
            tl.disturbed.push_back({effectSince - 0.2, t + 3.0});  // echo and reverb tails
            effectSince = -1;
        }
        if (command == "seek" || command == "next" || command == "prev" || command == "load" || command == "play" ||
            command == "pause") {
            tl.disturbed.push_back({t - 0.5, t + 1.5});
            tl.actions.push_back({t, number});
        }
        if (command == "ffwd" || command == "rwnd") {
            if (arg == "on")
                heldSince[command] = t;
            else
                tl.disturbed.push_back({heldSince[command] - 0.5, t + 1.5});
            tl.actions.push_back({t, number});
        }
    }
    return tl;
}

struct Run {
    int label;         // track index, -1 unknown, -2 silent
    long first, last;  // windows
};

std::vector<Run> labelWindows(const std::vector<double>& x, const std::vector<Track>& tracks, int deck,
                              const Timeline& tl) {
    std::vector<Run> runs;
    for (long w = 0; (w + 1) * kWindow <= static_cast<long>(x.size()); ++w) {
        const size_t a = w * kWindow, b = a + kWindow;
        int label = -1;
        if (peakOf(x, a, b) < 300) {
            label = -2;
        } else if (const double hz = toneHz(x, a, b); hz > 0) {
            const double nominal = hz / (1 + tl.tempoAt((w + 0.5) * kWindow / kRate) / 100);
            for (const Track& t : tracks)
                if (t.deck == deck && std::fabs(nominal / t.hz - 1) < kMatch) label = t.index;
        }
        if (!runs.empty() && runs.back().label == label)
            runs.back().last = w;
        else
            runs.push_back({label, w, w});
    }
    // Keep runs of at least 4 windows (80 ms): a stable stretch of one track or of silence.
    std::vector<Run> stable;
    for (const Run& r : runs)
        if (r.last - r.first >= 3 || r.label == -2) {
            if (!stable.empty() && stable.back().label == r.label)
                stable.back().last = r.last;
            else
                stable.push_back(r);
        }
    return stable;
}

struct Figures {
    int handOvers = 0, byActions = 0, faults = 0, unexplained = 0, lengthsChecked = 0;
    double worstQuietMs = 0, worstQuietAllowedMs = 0, worstCurvatureRatio = 0, worstLengthMs = 0;
};

// The sample where tone `from` gives way to tone `to` near [a, b], from the crossing periods.
double junction(const std::vector<double>& x, long a, long b, double periodFrom, double periodTo) {
    const auto c = crossings(x, std::max<long>(a - kWindow, 0), b + kWindow);
    double lastFrom = a, firstTo = b;
    for (size_t i = 1; i < c.size(); ++i)
        if (std::fabs((c[i] - c[i - 1]) / periodFrom - 1) < 0.03) lastFrom = c[i];
    for (size_t i = 1; i < c.size(); ++i)
        if (c[i - 1] >= lastFrom && std::fabs((c[i] - c[i - 1]) / periodTo - 1) < 0.03) {
            firstTo = c[i - 1];
            break;
        }
    return (lastFrom + firstTo) / 2;
}

void checkDeck(const std::vector<double>& x, const std::vector<Track>& tracks, int deck, const Timeline& tl,
               Figures& f) {
    const auto runs = labelWindows(x, tracks, deck, tl);
    std::vector<int> order;
    for (const Track& t : tracks)
        if (t.deck == deck) order.push_back(t.index);
    const char name = "AB"[deck];
    double lastHandOver = -1;  // sample of the last undisturbed hand-over, -1 after a disturbance
    for (size_t i = 1; i < runs.size(); ++i) {
        const Run& before = runs[i - 1];
        const Run& after = runs[i];
        const long a = (before.last + 1) * kWindow, b = after.first * kWindow;
        const double t = (a + b) / 2.0 / kRate;
        if (tl.isDisturbed(t) || tl.isDisturbed(before.last * kWindow / kRate)) {
            ++f.byActions;
            lastHandOver = -1;
            continue;
        }
        if (before.label < 0 || after.label < 0) {
            // Silence or an unnamed sound that no action explains: the deck stopped or a gap.
            if (before.label >= 0 || after.label >= 0) {
                ++f.unexplained;
                std::printf("FAULT deck %c at %.3f s: %s -> %s, %s\n", name, t,
                            before.label >= 0 ? ("t" + std::to_string(before.label)).c_str() : "?",
                            after.label >= 0 ? ("t" + std::to_string(after.label)).c_str() : "silence/unknown",
                            tl.lastActionBefore(t).c_str());
                ++f.faults;
            }
            lastHandOver = -1;
            continue;
        }
        ++f.handOvers;
        const Track& from = tracks[before.label];
        const Track& to = tracks[after.label];
        const size_t at = std::find(order.begin(), order.end(), from.index) - order.begin();
        const int expected = order[(at + 1) % order.size()];
        if (to.index != expected) {
            std::printf("FAULT deck %c at %.3f s: t%02d -> t%02d, expected t%02d (successor skipped), %s\n", name, t,
                        from.index, to.index, expected, tl.lastActionBefore(t).c_str());
            ++f.faults;
        }
        const double speed = 1 + tl.tempoAt(t) / 100;
        // Silence at the boundary: the longest quiet stretch against the two ends' own.
        const double peak = std::min(peakOf(x, a - 4 * kWindow, a), peakOf(x, b, b + 4 * kWindow));
        long run = 0, longest = 0;
        for (long s = a - kWindow; s < b + kWindow && s < static_cast<long>(x.size()); ++s) {
            run = std::fabs(x[s]) < kQuietFraction * peak ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        const double slack = 2 * kQuietFraction * kRate / (from.hz * speed) + 4;  // a tone's own crossing
        const double allowed = (from.tailQuiet + to.headQuiet) / speed + slack;
        f.worstQuietMs = std::max(f.worstQuietMs, longest * 1000 / kRate);
        f.worstQuietAllowedMs = std::max(f.worstQuietAllowedMs, allowed * 1000 / kRate);
        if (longest > allowed) {
            std::printf("FAULT deck %c at %.3f s: t%02d -> t%02d silent for %.2f ms (allowed %.2f)\n", name, t,
                        from.index, to.index, longest * 1000 / kRate, allowed * 1000 / kRate);
            ++f.faults;
        }
        // Discontinuity: the sharpest bend against both ends meeting silence.
        // (Against the louder side: the equaliser may lift one tone and not the other.)
        const double louder = std::max(peakOf(x, a - 4 * kWindow, a), peakOf(x, b, b + 4 * kWindow));
        const double bend = largestCurvature(x, a - kWindow, b + kWindow) / louder;
        // Twice: the equaliser's filters and the tempo's resampler ring on a step, and an
        // m4a's declared end cuts its wave mid-way (measured: up to 1.6 times the ends).
        const double bendAllowed = 2.0 * std::max(1.0, speed * speed) * (from.edgeCurvature + to.edgeCurvature);
        f.worstCurvatureRatio = std::max(f.worstCurvatureRatio, bend / bendAllowed);
        if (bend > bendAllowed) {
            std::printf("FAULT deck %c at %.3f s: t%02d -> t%02d discontinuity %.3f of the peak (allowed %.3f)\n", name,
                        t, from.index, to.index, bend, bendAllowed);
            ++f.faults;
        }
        // A track heard from hand-over to hand-over lasts its decoded length at the tempo heard.
        const double here = junction(x, a, b, kRate / (from.hz * speed), kRate / (to.hz * speed));
        bool moved = false;  // a transport action between the two hand-overs
        for (auto& [when, number] : tl.actions) moved |= when * kRate > lastHandOver && when * kRate < here;
        if (lastHandOver >= 0 && !moved) {
            double played = 0;
            for (double s = lastHandOver; s < here; s += kWindow)
                played += std::min<double>(kWindow, here - s) * (1 + tl.tempoAt(s / kRate) / 100);
            const double errorMs = (played - from.frames) * 1000 / kRate;
            ++f.lengthsChecked;
            f.worstLengthMs = std::max(f.worstLengthMs, std::fabs(errorMs));
            if (std::fabs(errorMs) > 30) {
                std::printf("FAULT deck %c at %.3f s: t%02d heard %+.1f ms against its decoded length\n", name, t,
                            from.index, errorMs);
                ++f.faults;
            }
        }
        std::printf("hand-over deck %c at %.3f s: t%02d -> t%02d quiet %.2f ms bend %.3f\n", name, here / kRate,
                    from.index, to.index, longest * 1000 / kRate, bend);
        lastHandOver = here;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmix-soak-check WORKDIR\n");
        return 2;
    }
    const std::string work = argv[1];
    std::vector<Track> tracks;
    std::ifstream list(work + "/tracks.tsv");
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        Track t;
        std::string deck;
        fields >> t.index >> deck >> t.hz;
        std::getline(fields >> std::ws, t.path);
        t.deck = deck == "B";
        measureTrack(t);
        std::printf("track t%02d deck %c %8.2f Hz %7.3f s head quiet %4ld tail quiet %4ld edge %.3f %s\n", t.index,
                    "AB"[t.deck], t.hz, t.frames / kRate, t.headQuiet, t.tailQuiet, t.edgeCurvature, t.path.c_str());
        tracks.push_back(t);
    }
    if (tracks.empty()) return 2;
    Figures f;
    for (int deck = 0; deck < 2; ++deck) {
        const auto x = readWavLeft(work + (deck == 0 ? "/main.wav" : "/monitor.wav"));
        std::printf("deck %c: %.1f s of output\n", "AB"[deck], x.size() / kRate);
        checkDeck(x, tracks, deck, readTimeline(work + "/script.txt", deck), f);
    }
    std::printf("hand_overs_checked=%d\nchanges_by_actions=%d\nlengths_checked=%d\nfaults=%d\n", f.handOvers,
                f.byActions, f.lengthsChecked, f.faults);
    std::printf("worst_quiet_ms=%.2f (largest allowed %.2f)\nworst_bend_vs_allowed=%.2f\nworst_length_error_ms=%.1f\n",
                f.worstQuietMs, f.worstQuietAllowedMs, f.worstCurvatureRatio, f.worstLengthMs);
    return f.faults ? 1 : 0;
}

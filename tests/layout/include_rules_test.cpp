// Reads every #include of the source tree and checks it against the layering table below:
// which of our folders each folder may include, which vendor headers it may include, and
// whether it may include Qt, or Qt Widgets. The table is the one place the layering is
// written down; a new folder must be added to it before its files pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Qt { none, core, gui, widgets };  // the most of Qt a folder may include

struct Rule {
    std::set<std::string> uses;     // our folders it may include (itself always)
    std::set<std::string> vendors;  // vendor header prefixes it may include
    Qt qt;
    const char* why;
};

const std::set<std::string> kCore = {"dsp", "platform", "sound", "app", "sources", "playlist", "deck", "engine"};

std::set<std::string> plus(std::set<std::string> a, std::initializer_list<const char*> more) {
    for (const char* m : more) a.insert(m);
    return a;
}

// Folder -> what it may include.
const std::map<std::string, Rule>& rules() {
    static const std::map<std::string, Rule> table = {
        {"dsp", {{}, {"fftw3"}, Qt::none, "pure signal processing: no Qt, no threads, no platform; FFTW stays inside"}},
        {"platform", {{}, {"libav", "libsw"}, Qt::gui, "events, messaging, threads, decoding: FFmpeg only here"}},
        {"sound", {{"platform", "dsp"}, {"portaudio", "pa_"}, Qt::core, "sound devices; PortAudio only here"}},
        {"app", {{"platform", "dsp"}, {}, Qt::core, "shared state and services beneath every subsystem"}},
        {"sources", {{"app", "platform", "dsp"}, {}, Qt::core, "track reading knows nothing of decks or output"}},
        {"playlist",
         {{"sources", "app", "platform", "dsp"}, {}, Qt::core, "the play list model asks the mixer by message"}},
        {"deck", {{"sources", "app", "platform", "dsp"}, {}, Qt::core, "the transport talks to the mixer by message"}},
        {"engine", {plus(kCore, {}), {}, Qt::core, "the mixer hub uses every core subsystem, no window"}},
        {"ui/widgets", {plus(kCore, {}), {}, Qt::widgets, "controls paint from a few fields"}},
        {"ui", {plus(kCore, {"ui/widgets"}), {}, Qt::widgets, "windows show the core; the core never includes them"}},
        {"app/shell",
         {plus(kCore, {"ui", "ui/widgets", "tools/skins"}),
          {},
          Qt::widgets,
          "where the program's objects are made and wired; its icon art is the installed icons'"}},
        {"tools/render", {plus(kCore, {}), {}, Qt::core, "the render tool runs the core headless"}},
        {"tools/skins", {{}, {}, Qt::gui, "draws the skin images; needs no window"}},
        {"tools/soak", {{}, {}, Qt::none, "the long render's checker reads WAV files only"}},
        {"tools/idle_baseline",
         {{}, {"portaudio", "pa_"}, Qt::none, "a bare sound client to measure idle cost against"}},
        {"bench", {plus(kCore, {"tools/render"}), {}, Qt::core, "core benchmarks run on Qt Core"}},
        {"bench/ui", {plus(kCore, {"ui", "ui/widgets", "tools/render"}), {}, Qt::widgets, "paint benchmarks"}},
        {"layout", {{}, {}, Qt::none, "this checker reads files only"}},
        {"audio_thread", {{}, {}, Qt::none, "the audio-thread audit is preloaded into a program: system headers only"}},
        {"tests/support", {plus(kCore, {"support"}), {}, Qt::core, "fixtures for the core tests"}},
    };
    return table;
}

// The rule of a file: the longest folder of the table its path starts with. tests/<x> files
// follow the rule of <x>, and may also use the test support folder.
const Rule* ruleFor(const std::string& path, std::string& folder, Rule& testRule) {
    std::string key = path.substr(0, path.rfind('/'));
    const bool test = key.rfind("tests/", 0) == 0 && key.rfind("tests/support", 0) != 0;
    if (test) key = key.substr(6);
    while (!key.empty()) {
        auto it = rules().find(key);
        if (it != rules().end()) {
            folder = key;
            if (!test) return &it->second;
            testRule = it->second;
            testRule.uses.insert("support");
            testRule.vendors.insert("samplerate");               // the resampler's reference
            if (testRule.qt == Qt::core) testRule.qt = Qt::gui;  // key events for the held keys
            return &testRule;
        }
        const auto slash = key.rfind('/');
        key = slash == std::string::npos ? std::string() : key.substr(0, slash);
    }
    if (test && path.rfind("tests/tools/", 0) == 0) {  // the end-to-end tests
        folder = "tools/render";
        testRule = rules().at("tools/render");
        testRule.uses.insert({"support", "tools/render"});
        return &testRule;
    }
    return nullptr;
}

// Our folder an include names ("ui/widgets/x.h" -> "ui/widgets"), or "" for none of ours.
std::string includedFolder(const std::string& include) {
    for (const char* two : {"ui/widgets", "app/shell", "tools/render", "tools/skins"})
        if (include.rfind(std::string(two) + "/", 0) == 0) return two;
    const auto slash = include.find('/');
    if (slash == std::string::npos) return "";
    const std::string top = include.substr(0, slash);
    static const std::set<std::string> ours = plus(kCore, {"ui", "support", "tools", "bench"});
    return ours.count(top) ? top : "";
}

std::set<std::string> qtWidgetsHeaders() {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(QUILLMIX_QT_WIDGETS_DIR)) names.insert(e.path().filename().string());
    return names;
}

struct Violation {
    std::string file, include, why;
};

std::vector<Violation> checkFile(const fs::path& root, const fs::path& file) {
    static const std::set<std::string> widgets = qtWidgetsHeaders();
    static const std::regex includeLine(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    const std::string path = fs::relative(file, root).generic_string();
    std::vector<Violation> out;
    std::string folder;
    Rule testRule;
    const Rule* rule = ruleFor(path, folder, testRule);
    if (!rule) return {{path, "", "folder missing from the layering table"}};
    std::ifstream in(file);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (!std::regex_search(line, m, includeLine)) continue;
        const std::string inc = m[2];
        const bool quoted = m[1] == "\"";
        const std::string top = quoted ? includedFolder(inc) : "";
        if (!top.empty()) {
            if (top != folder && !rule->uses.count(top)) out.push_back({path, inc, std::string("may not use ") + top});
            continue;
        }
        const std::string base = inc.substr(0, inc.find('/'));
        const bool isQt = base.rfind("Q", 0) == 0 || base.rfind("qt", 0) == 0;
        if (isQt) {
            const std::string name = inc.substr(inc.rfind('/') + 1);
            const bool isWidgets = base == "QtWidgets" || widgets.count(name);
            const bool isGui = base == "QtGui" || name == "QGuiApplication" || name == "QKeyEvent" ||
                               name == "QPainter" || name == "QImage" || name == "QPixmap" || name == "QIcon" ||
                               name == "QColor" || name == "QFont";
            if (rule->qt == Qt::none)
                out.push_back({path, inc, "no Qt here"});
            else if (isWidgets && rule->qt != Qt::widgets)
                out.push_back({path, inc, "Qt Widgets only in windows"});
            else if (isGui && rule->qt == Qt::core)
                out.push_back({path, inc, "Qt Gui not here"});
            continue;
        }
        for (const char* vendor : {"fftw3", "libav", "libsw", "portaudio", "pa_", "samplerate"})
            if (inc.rfind(vendor, 0) == 0 && !rule->vendors.count(vendor))
                out.push_back({path, inc, std::string("vendor header ") + vendor + " not here"});
        // Signal processing starts no thread and waits for none (a mutex may guard a shared
        // planner); its tests may use threads to check that.
        if (folder == "dsp" && path.rfind("tests/", 0) != 0 &&
            (inc == "thread" || inc == "condition_variable" || inc == "future"))
            out.push_back({path, inc, "no threads in signal processing"});
    }
    return out;
}

}  // namespace

TEST(IncludeRules, EveryIncludeFollowsTheLayering) {
    const fs::path root = QUILLMIX_SOURCE_DIR;
    std::vector<Violation> all;
    int files = 0;
    for (const char* top : {"dsp", "platform", "sound", "app", "sources", "playlist", "deck", "engine", "ui", "tools",
                            "bench", "tests"}) {
        if (!fs::exists(root / top)) continue;
        for (const auto& e : fs::recursive_directory_iterator(root / top)) {
            const std::string ext = e.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            if (e.path().generic_string().find("/tests/fuzz/") != std::string::npos) continue;
            ++files;
            for (Violation& v : checkFile(root, e.path())) all.push_back(std::move(v));
        }
    }
    EXPECT_GT(files, 100);
    for (const Violation& v : all) ADD_FAILURE() << v.file << ": #include " << v.include << ": " << v.why;
}

// The checker itself: a widget header in the engine and a platform header in dsp are caught.
TEST(IncludeRules, CatchesForbiddenIncludes) {
    const fs::path dir = fs::temp_directory_path() / "quillmix_layout_probe";
    fs::create_directories(dir / "engine");
    fs::create_directories(dir / "dsp");
    std::ofstream(dir / "engine" / "x.cpp")
        << "#include <QWidget>\n#include \"ui/mixer_panel.h\"\n#include \"deck/deck.h\"\n";
    std::ofstream(dir / "dsp" / "y.h") << "#include <QObject>\n#include \"platform/event.h\"\n#include <thread>\n";
    EXPECT_EQ(checkFile(dir, dir / "engine" / "x.cpp").size(), 2u);
    EXPECT_EQ(checkFile(dir, dir / "dsp" / "y.h").size(), 3u);
    fs::remove_all(dir);
}

// The CPU meter on synthetic kernel statistics, and the command line: our options, Qt's
// passed on, files made absolute and usage errors. (The list of files the program walks is
// checked by the main window's start-up, which loads them in order.)
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "app/command_line_options.h"
#include "app/cpu_usage_meter.h"
#include "support/temp_dir.h"

using namespace quillmix;

namespace {
void writeStat(const std::filesystem::path& p, long user, long idle, int processors) {
    std::ofstream out(p);
    out << "cpu  " << user << " 0 0 " << idle << " 0 0 0 0 0 0\n";
    for (int i = 0; i < processors; ++i) out << "cpu" << i << " 1 0 0 1 0 0 0 0 0 0\n";
    out << "intr 12345\nctxt 999\n";
}

CommandLineOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "quillmix");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), "/home/dj/music");
}
using Action = CommandLineOptions::Action;
}  // namespace

TEST(CpuUsageMeterTest, ReadsTheBusyShareAndFailuresGiveZeroKeepingThePreviousSample) {
    test::TempDir dir;
    const auto stat = dir.file("stat");
    CpuUsageMeter meter(stat.string());
    EXPECT_EQ(meter.sample(), 0.0);  // no file
    writeStat(stat, 1000, 1000, 2);
    meter.sample();  // against zero: not meaningful
    // 50 ticks later on each of two processors: one busy all the time, one idle all the time.
    writeStat(stat, 1050, 1050, 2);
    EXPECT_EQ(static_cast<int>(meter.sample()), 50);
    // Both idle, then both busy.
    writeStat(stat, 1050, 1150, 2);
    EXPECT_EQ(static_cast<int>(meter.sample()), 0);
    writeStat(stat, 1250, 1150, 2);
    EXPECT_EQ(static_cast<int>(meter.sample()), 100);
    { std::ofstream(stat) << "garbage\n"; }
    EXPECT_EQ(meter.sample(), 0.0);
    writeStat(stat, 1325, 1175, 2);  // measured against the last good sample: 75 of 100 busy
    EXPECT_EQ(static_cast<int>(meter.sample()), 75);
    EXPECT_GE(CpuUsageMeter().sample(), 0.0);  // the real statistics parse
}

TEST(CommandLineOptionsTest, OptionsFilesAndQtOptionsAreSeparatedAndPathsMadeAbsolute) {
    const CommandLineOptions o =
        parse({"a.mp3", "--device", "recorder", "-style", "fusion", "--record", "../mix.wav", "--deck-b", "../c.mp3",
               "-platform=offscreen", "/abs/b.ogg", "--", "--odd.mp3"});
    EXPECT_EQ(o.action, Action::run);
    EXPECT_EQ(o.device, "recorder");
    EXPECT_EQ(o.recordPath, "/home/dj/mix.wav");
    EXPECT_EQ(o.deckBFile, "/home/dj/c.mp3");
    EXPECT_EQ(o.files, (std::vector<std::string>{"/home/dj/music/a.mp3", "/abs/b.ogg", "/home/dj/music/--odd.mp3"}));
    EXPECT_EQ(o.qtArguments, (std::vector<std::string>{"quillmix", "-style", "fusion", "-platform=offscreen"}));
}

TEST(CommandLineOptionsTest, HelpAndVersionWinAndMistakesAreUsageErrors) {
    EXPECT_EQ(parse({"a.mp3", "--help", "--bogus"}).action, Action::help);
    EXPECT_EQ(parse({"--version"}).action, Action::version);
    EXPECT_EQ(versionText().rfind("Quillmix 1.", 0), 0u);
    for (std::vector<const char*> wrong : {std::vector<const char*>{"--bogus"},
                                           {"a.mp3", "--device"},
                                           {"a.mp3", "--deck-b"},
                                           {"--record", ""},
                                           {"-style"},
                                           {"--record", "x.wav", "--device", "USB Card"}}) {
        const CommandLineOptions o = parse(wrong);
        EXPECT_EQ(o.action, Action::usageError) << wrong[0];
        EXPECT_FALSE(o.error.empty());
    }
    EXPECT_EQ(parse({"--record", "x.wav", "--device", "recorder"}).action, Action::run);
    // One line per option in the help.
    for (const char* option : {"--device NAME", "--record FILE.wav", "--deck-b FILE", "--help", "--version"})
        EXPECT_NE(commandLineHelp().find(std::string("\n  ") + option), std::string::npos) << option;
}

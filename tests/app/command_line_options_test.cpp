// The command line: our options, Qt's passed on, files made absolute, and usage errors.
#include <gtest/gtest.h>

#include <vector>

#include "app/command_line_options.h"

using namespace quillmix;

namespace {
CommandLineOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "quillmix");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), "/home/dj/music");
}
using Action = CommandLineOptions::Action;
}  // namespace

TEST(CommandLineOptionsTest, OptionsFilesAndQtOptionsAreSeparatedAndPathsMadeAbsolute) {
    const CommandLineOptions o = parse({"a.mp3", "--device", "recorder", "-style", "fusion", "--record", "../mix.wav",
                                        "-platform=offscreen", "/abs/b.ogg", "--", "--odd.mp3"});
    EXPECT_EQ(o.action, Action::run);
    EXPECT_EQ(o.device, "recorder");
    EXPECT_EQ(o.recordPath, "/home/dj/mix.wav");
    EXPECT_EQ(o.files, (std::vector<std::string>{"/home/dj/music/a.mp3", "/abs/b.ogg", "/home/dj/music/--odd.mp3"}));
    EXPECT_EQ(o.qtArguments, (std::vector<std::string>{"quillmix", "-style", "fusion", "-platform=offscreen"}));
}

TEST(CommandLineOptionsTest, HelpAndVersionWinAndMistakesAreUsageErrors) {
    EXPECT_EQ(parse({"a.mp3", "--help", "--bogus"}).action, Action::help);
    EXPECT_EQ(parse({"--version"}).action, Action::version);
    EXPECT_EQ(versionText().rfind("Quillmix 1.", 0), 0u);
    for (std::vector<const char*> wrong : {std::vector<const char*>{"--bogus"},
                                           {"a.mp3", "--device"},
                                           {"--record", ""},
                                           {"-style"},
                                           {"--record", "x.wav", "--device", "USB Card"}}) {
        const CommandLineOptions o = parse(wrong);
        EXPECT_EQ(o.action, Action::usageError) << wrong[0];
        EXPECT_FALSE(o.error.empty());
    }
    EXPECT_EQ(parse({"--record", "x.wav", "--device", "recorder"}).action, Action::run);
    // One line per option in the help.
    for (const char* option : {"--device NAME", "--record FILE.wav", "--help", "--version"})
        EXPECT_NE(commandLineHelp().find(std::string("\n  ") + option), std::string::npos) << option;
}

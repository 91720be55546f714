// --deck-b: one file for deck B, made absolute, kept apart from deck A's files.
#include <gtest/gtest.h>

#include <vector>

#include "app/command_line_options.h"

using namespace quillmix;

TEST(DeckBOptionTest, TakesOneAbsolutePathApartFromTheFilesAndNeedsAValue) {
    std::vector<const char*> args{"quillmix", "a.mp3", "--deck-b", "../b.mp3", "c.mp3"};
    const CommandLineOptions o = parseCommandLine(static_cast<int>(args.size()), args.data(), "/home/dj/music");
    EXPECT_EQ(o.action, CommandLineOptions::Action::run);
    EXPECT_EQ(o.deckBFile, "/home/dj/b.mp3");
    EXPECT_EQ(o.files, (std::vector<std::string>{"/home/dj/music/a.mp3", "/home/dj/music/c.mp3"}));
    std::vector<const char*> missing{"quillmix", "a.mp3", "--deck-b"};
    EXPECT_EQ(parseCommandLine(static_cast<int>(missing.size()), missing.data(), "/").action,
              CommandLineOptions::Action::usageError);
}

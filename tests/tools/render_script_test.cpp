// The render script: every command's arguments, and the malformed lines that stop a run.
#include <gtest/gtest.h>

#include "tools/render/render_script.h"

using namespace quillmix::render;

TEST(RenderScriptTest, ParsesEveryCommandWithItsArguments) {
    const auto r = parseScript(
        "# a comment\n"
        "\n"
        "0 load A \"/music/My Song \\\"live\\\".mp3\"\n"
        "0 queue B /music/b.ogg\r\n"
        "0.5 playlist list.m3u\n"
        "1 play A\n"
        "1 tempo A -8\n"
        "1 fader monitor -1\n"
        "1 volume main 0.5\n"
        "1 curve 1\n"
        "2 cue B on\n"
        "2 reverse A off\n"
        "2 eq A bands 5\n"
        "2 eq B on\n"
        "2 eq A gain 3 1.15\n"
        "3 effect A Echo 50 250\n"
        "3 effect B Reverb\n"
        "3 effect B off\n"
        "3 analysis scope\n"
        "4 seek B 0.5\n"
        "9 end\n");
    ASSERT_EQ(r.errorLine, 0) << r.error;
    ASSERT_EQ(r.actions.size(), 19u);
    EXPECT_EQ(r.actions[0].path, "/music/My Song \"live\".mp3");
    EXPECT_EQ(r.actions[0].line, 3);
    EXPECT_EQ(r.actions[1].deck, 1);
    EXPECT_EQ(r.actions[4].value, -8);
    EXPECT_EQ(r.actions[5].output, Output::monitor);
    EXPECT_TRUE(r.actions[8].on);
    EXPECT_FALSE(r.actions[9].on);
    EXPECT_EQ(r.actions[10].command, Command::eqBands);
    EXPECT_EQ(r.actions[10].count, 5);
    EXPECT_EQ(r.actions[12].command, Command::eqGain);
    EXPECT_EQ(r.actions[12].count, 3);
    EXPECT_DOUBLE_EQ(r.actions[12].value, 1.15);
    EXPECT_EQ(r.actions[13].name, "Echo");
    EXPECT_EQ(*r.actions[13].parameter2, 250);
    EXPECT_FALSE(r.actions[14].parameter1.has_value());
    EXPECT_EQ(r.actions[15].command, Command::effectOff);
    EXPECT_EQ(r.actions[16].analysis, AnalysisMode::scope);
    EXPECT_EQ(r.actions[18].command, Command::end);
}

TEST(RenderScriptTest, MalformedLinesReportTheirLineNumber) {
    const char* bad[] = {
        "1 play C",                 // no such deck
        "1 jump A",                 // no such command
        "x play A",                 // time not a number
        "1 level A 2",              // out of range
        "1 load A \"unterminated",  // open quote
        "1 eq A bands 4",           // 2, 3 or 5 only
        "1 eq A gain 6 1.0",        // band 1..5
        "1 effect A Echo 50",       // one parameter
        "1 fader side 0",           // main or monitor
        "1 play",                   // missing deck
        "1 end now",                // extra word
    };
    for (const char* line : bad) {
        const auto r = parseScript(std::string("0 play A\n# note\n") + line + "\n2 end\n");
        EXPECT_EQ(r.errorLine, 3) << line;
        EXPECT_FALSE(r.error.empty()) << line;
    }
    const auto backwards = parseScript("2 play A\n1 pause A\n");
    EXPECT_EQ(backwards.errorLine, 2);
}

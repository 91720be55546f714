// The whole engine end to end: real decks, readers, play list and mixer on stepped devices,
// driven by render scripts, with the recorded output compared against the decoded source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "support/sound_signals.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "support/watchdog.h"
#include "tools/render/render_script.h"
#include "tools/render/render_session.h"

using namespace quillmix;
using namespace quillmix::render;

namespace {

// The whole file as the ffmpeg tool decodes it (the decoder tests show ours matches), as
// stereo: the rendered WAV files and the MP3 sources alike.
std::vector<std::int16_t> decodeStereo(const std::filesystem::path& file) {
    const auto bytes = test::sourcesReferenceDecode(file, 2);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<std::int16_t> sine(double hz, double seconds) {
    return test::soundSine(static_cast<int>(seconds * 44100), hz, 44100, 12000);
}

// Energy of one frequency in the left channel of [from, from + frames).
double toneLevel(const std::vector<std::int16_t>& s, size_t from, size_t frames, double hz) {
    double re = 0, im = 0;
    for (size_t i = 0; i < frames && 2 * (from + i) < s.size(); ++i) {
        re += s[2 * (from + i)] * std::cos(2 * M_PI * hz * i / 44100);
        im += s[2 * (from + i)] * std::sin(2 * M_PI * hz * i / 44100);
    }
    return std::sqrt(re * re + im * im) / frames;
}

// Frequency of the left channel over [from, from + frames).
double measuredFrequency(const std::vector<std::int16_t>& s, size_t from, size_t frames) {
    const std::vector<std::int16_t> piece(s.begin() + 2 * from, s.begin() + std::min(s.size(), 2 * (from + frames)));
    return test::soundMeasureFrequency(test::soundChannel(piece, 2, 0), 44100);
}

long findPiece(const std::vector<std::int16_t>& hay, const std::vector<std::int16_t>& needle, size_t at, size_t n) {
    auto it = std::search(hay.begin(), hay.end(), needle.begin() + at, needle.begin() + at + n);
    return it == hay.end() ? -1 : static_cast<long>(it - hay.begin()) - static_cast<long>(at);
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct Rendered {
    std::vector<std::int16_t> main, monitor;
    RenderFigures figures;
};

// Renders `script` in pieces split before the actions whose index is in `stops`, calling
// `look` after each piece (the last one included) while the session still runs.
Rendered renderRun(const test::TempDir& dir, const std::string& script, std::vector<size_t> stops = {},
                   const std::function<void(RenderSession&, size_t piece)>& look = {}) {
    RenderOptions options;
    options.mainWav = dir.file("main.wav").string();
    options.monitorWav = dir.file("monitor.wav").string();
    Rendered r;
    {
        RenderSession session(options);
        const auto parsed = parseScript(script);
        EXPECT_EQ(parsed.errorLine, 0) << parsed.error;
        stops.push_back(parsed.actions.size());
        size_t from = 0;
        for (size_t piece = 0; piece < stops.size(); ++piece) {
            r.figures =
                session.run(std::vector<Action>(parsed.actions.begin() + from, parsed.actions.begin() + stops[piece]));
            if (look) look(session, piece);
            from = stops[piece];
        }
    }
    r.main = decodeStereo(dir.file("main.wav"));
    r.monitor = decodeStereo(dir.file("monitor.wav"));
    return r;
}

// The tracks, laid end to end, are in `main` sample for sample from after the fade-in, and
// nothing is played after them.
void expectGapless(const std::vector<std::int16_t>& main, const std::vector<std::vector<std::int16_t>>& tracks) {
    std::vector<std::int16_t> all;
    for (const auto& t : tracks) all.insert(all.end(), t.begin(), t.end());
    const long at = findPiece(main, all, 2 * 44100, 2 * 4410);
    ASSERT_GE(at, 0);
    ASSERT_GE(main.size(), static_cast<size_t>(at) + all.size());
    EXPECT_TRUE(std::equal(all.begin() + 8820, all.end(), main.begin() + at + 8820));
    EXPECT_TRUE(std::all_of(main.begin() + at + all.size(), main.end(), [](std::int16_t v) { return v == 0; }));
}

}  // namespace

TEST(RenderEndToEndThreadTest, TempoRaisesThePitchAndFadersRouteTheDecks) {
    test::TempDir dir;
    const auto r = renderRun(dir, "0 load A " + test::sourcesWav(dir.file("a.wav"), sine(441, 6)) + "\n0 load B " +
                                      test::sourcesWav(dir.file("b.wav"), sine(660, 6)) +
                                      "\n0 level A 1\n0 level B 1\n0 curve 1\n0 fader main -1\n0 fader monitor 1\n"
                                      "0 play A\n0 play B\n2 tempo A 8\n4 end\n");
    // Main: deck A only; monitor: deck B only. (A full tone measures about 6000; the
    // other tone's window leakage stays far below 60.)
    EXPECT_GT(toneLevel(r.main, 44100, 22050, 441), 3000);
    EXPECT_LT(toneLevel(r.main, 44100, 22050, 660), 60);
    EXPECT_GT(toneLevel(r.monitor, 44100, 22050, 660), 3000);
    EXPECT_LT(toneLevel(r.monitor, 44100, 22050, 441), 60);
    // +8 % tempo: 441 Hz becomes 476.3 Hz.
    EXPECT_NEAR(measuredFrequency(r.main, 44100, 44100), 441.0, 0.5);
    EXPECT_NEAR(measuredFrequency(r.main, 44100 * 3, 44100), 441.0 * 1.08, 0.5);
}

// A track longer than the read-ahead, then MP3s and WAVs shorter than it, with a broken
// and a missing entry between them: each is heard in full without a gap, becomes the
// deck's and the play list's current track when it is heard (not when the reader opens
// it), broken entries are passed over, and the deck stops after the last one. (Which entry
// Next then picks is the play list model's rule.)
TEST(RenderEndToEndThreadTest, QueuedTracksFollowGaplesslyAndBecomeCurrentWhenHeard) {
    test::TempDir dir;
    const double seconds[] = {12, 2, 2, 3};
    std::vector<std::vector<std::int16_t>> t;
    for (int i = 0; i < 4; ++i) {
        t.push_back(test::sourcesSignal(static_cast<int>(44100 * seconds[i]), 2, 50 + i));
        test::sourcesWav(dir.file(std::to_string(i) + ".wav"), t[i]);
    }
    for (int i = 0; i < 2; ++i) {
        const auto wav = dir.file(std::to_string(i) + ".wav"), mp3 = dir.file(std::to_string(i) + ".mp3");
        ASSERT_TRUE(test::sourcesEncode(wav, mp3, test::sourcesEncoderArguments("mp3")));
        t[i] = decodeStereo(mp3);
    }
    { std::ofstream(dir.file("broken.wav")) << std::string(5000, '\x5a'); }
    auto f = [&](const std::string& name) { return " " + dir.file(name).string() + "\n"; };
    const std::string queue = "0 queue A" + f("0.mp3") + "0 queue A" + f("1.mp3") + "0 queue A" + f("2.wav") +
                              "0 queue A" + f("broken.wav") + "0 queue A" + f("missing.wav") + "0 queue A" +
                              f("3.wav") + "0 next A\n0 level A 1\n0 curve 1\n0 play A\n";
    std::string deckPath[2], listPath;
    const auto r = renderRun(dir, queue + "12.9 level A 1\n21 end\n", {11}, [&](RenderSession& s, size_t piece) {
        deckPath[piece] = s.mixer().deck(0)->GetCurrentTrackPath();
        if (piece == 0) listPath = s.mixer().playList()->model().GetCurrentPath(0);
    });
    EXPECT_EQ(r.figures.underruns, 0);
    EXPECT_EQ(deckPath[0], dir.file("1.mp3").string());  // the 2 s track is heard at 12.9 s
    EXPECT_EQ(listPath, dir.file("1.mp3").string());
    EXPECT_EQ(deckPath[1], dir.file("3.wav").string());
    expectGapless(r.main, t);
}

TEST(RenderEndToEndThreadTest, ProgramRendersAScriptAndStopsAtAMalformedLine) {
    test::TempDir dir;
    const std::string tool = std::string(QUILLMIX_TEST_TOOLS_DIR) + "/quillmix-render";
    {
        std::ofstream(dir.file("ok.txt"))
            << "0 load A \"" << test::sourcesWav(dir.file("a.wav"), sine(440, 3)) << "\"\n0 play A\n"
            << "0.5 load B /no/such/file.wav\n2 end\n";
    }
    { std::ofstream(dir.file("bad.txt")) << "0 play A\n\n# fine\n1 play Q\n"; }
    const std::string run = tool + " --main " + dir.file("m.wav").string() + " " + dir.file("ok.txt").string() + " > " +
                            dir.file("out.txt").string() + " 2> " + dir.file("err.txt").string();
    ASSERT_EQ(std::system(run.c_str()), 0);
    const std::string printed = readText(dir.file("out.txt"));
    for (const char* key : {"rendered_seconds=2.0", "cpu_seconds=", "realtime_factor=", "underruns=0"})
        EXPECT_NE(printed.find(key), std::string::npos) << key << " in " << printed;
    const std::string complaints = readText(dir.file("err.txt"));
    EXPECT_NE(complaints.find("line 3"), std::string::npos) << complaints;
    EXPECT_GT(decodeStereo(dir.file("m.wav")).size(), 2u * 44100);

    const std::string bad = tool + " --main " + dir.file("m2.wav").string() + " " + dir.file("bad.txt").string() +
                            " > /dev/null 2> " + dir.file("err2.txt").string();
    EXPECT_NE(std::system(bad.c_str()), 0);
    const std::string reason = readText(dir.file("err2.txt"));
    EXPECT_NE(reason.find(":4:"), std::string::npos) << reason;
}

TEST(RenderEndToEndThreadTest, DeckFadedOutOfAnOutputKeepsItsPlaceAndReturnsInStep) {
    test::TempDir dir;
    const auto track = test::sourcesSignal(44100 * 5, 2, 41);
    // Deck A starts silent on main (the fader on B); at 2 s the fader comes over.
    const auto r = renderRun(dir, "0 load A " + test::sourcesWav(dir.file("a.wav"), track) +
                                      "\n0 level A 1\n0 curve 1\n0 fader main 1\n0 play A\n2 fader main -1\n4 end\n");
    const size_t at2 = 2 * 88200;
    EXPECT_TRUE(std::all_of(r.main.begin() + 8820, r.main.begin() + at2 - 512, [](std::int16_t v) { return v == 0; }));
    // Heard again where it would be had it never been silent: the same place of the track.
    const size_t probe = at2 + 2 * 4410;
    const long where =
        findPiece(track, std::vector<std::int16_t>(r.main.begin() + probe, r.main.begin() + probe + 4410), 0, 4410);
    ASSERT_GE(where, 0);
    const long playStart = findPiece(r.main, track, 2 * 44100 * 3, 2 * 4410);  // where the track began
    EXPECT_EQ(where, static_cast<long>(probe) - playStart);
}

// An entry added once the reader has read the playing track to its end still follows it.
TEST(RenderEndToEndThreadTest, AnEntryAddedDuringTheLastSecondsOfATrackFollowsWithoutAGap) {
    test::TempDir dir;
    const auto one = test::sourcesSignal(44100 * 12, 2, 61);
    const auto two = test::sourcesSignal(44100 * 3, 2, 62);
    const auto r = renderRun(dir, "0 load A " + test::sourcesWav(dir.file("1.wav"), one) +
                                      "\n0 level A 1\n0 curve 1\n0 play A\n6 queue A " +
                                      test::sourcesWav(dir.file("2.wav"), two) + "\n17 end\n");
    expectGapless(r.main, {one, two});
}

// A deck restarted while playing, with less than the read-ahead left and an entry after
// it, met the reader's hand-over: the start of play waited inside it for the readiness only
// the blocked reader could report. Seek, and Next through short tracks, must both go on.
TEST(RenderEndToEndThreadTest, RestartsNearTheEndDoNotHangTheHandOver) {
    const test::Watchdog watchdog("restarts near the end of a track", std::chrono::seconds(120));
    test::TempDir dir;
    test::sourcesWav(dir.file("long.wav"), test::sourcesSignal(44100 * 14, 2, 71));
    for (int i = 0; i < 4; ++i)
        test::sourcesWav(dir.file("s" + std::to_string(i) + ".wav"), test::sourcesSignal(44100 * 3, 2, 72 + i));
    auto queue = [&](const std::string& name) { return "0 queue A " + dir.file(name).string() + "\n"; };
    const std::string seekScript =
        queue("long.wav") + queue("s0.wav") + "0 next A\n0 level A 1\n0 curve 1\n0 play A\n3 seek A 0.8\n25 end\n";
    const std::string nextScript = queue("s0.wav") + queue("s1.wav") + queue("s2.wav") + queue("s3.wav") +
                                   "0 next A\n0 level A 1\n0 curve 1\n0 play A\n1 next A\n1.5 next A\n"
                                   "2 prev A\n12 end\n";
    for (int run = 0; run < 3; ++run) {
        std::string afterSeek, afterNext;
        renderRun(dir, seekScript, {}, [&](RenderSession& session, size_t) {
            afterSeek = session.mixer().playList()->model().GetCurrentPath(0);
        });
        renderRun(dir, nextScript, {}, [&](RenderSession& session, size_t) {
            afterNext = session.mixer().playList()->model().GetCurrentPath(0);
        });
        // The seek played the long track out and went on into the short one.
        EXPECT_EQ(afterSeek, dir.file("s0.wav").string()) << run;
        EXPECT_FALSE(afterNext.empty()) << run;
    }
}

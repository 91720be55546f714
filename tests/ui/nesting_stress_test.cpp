// Deck requests, Next/Prev, seeks and finally a close, fired from timers at random moments
// while both decks play on a device that runs in real time: they land inside file opens,
// fades, thread stops and readiness waits. Nothing may hang (the watchdog fails the test)
// and the program must close.
#include <gtest/gtest.h>

#include <QTimer>

#include <random>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/mixer_engine.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "support/message_recorder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "support/watchdog.h"
#include "ui/main_window.h"
#include "ui/shell_rig.h"

using namespace quillmix;

namespace {

// One random request to a random deck.
void fireRandomRequest(CZanMixer& mixer, std::mt19937& random, const std::vector<std::string>& tracks) {
    if (!mixer.deck(0) || !mixer.deck(1)) return;  // the close is destroying the decks
    const int d = static_cast<int>(random() % 2);
    CZanDeck2& deck = *mixer.deck(d);
    const WindowHandle deckWindow = deck.handle();
    switch (random() % 12) {
        case 0: deck.PlayPause(random() % 2 == 0); break;
        case 1: deck.SetPositionFraction(static_cast<double>(random() % 1000) / 1000.0); break;
        case 2: postMessage(deckWindow, random() % 2 ? UWM_FAST_FORWARD_BEGIN : UWM_FAST_FORWARD_END, d); break;
        case 3: postMessage(deckWindow, random() % 2 ? UWM_REWIND_BEGIN : UWM_REWIND_END, d); break;
        case 4: postMessage(deckWindow, random() % 2 ? UWM_REVERSE_BEGIN : UWM_REVERSE_END, d); break;
        case 5: postMessage(deckWindow, random() % 2 ? UWM_SCRATCH_BACKWARD : UWM_SCRATCH_RELEASE, d); break;
        case 6: sendMessage(mixerWindow, UWM_NEXT_TRACK, d); break;
        case 7: sendMessage(mixerWindow, UWM_PREVIOUS_TRACK, d); break;
        case 8: deck.LoadTrack(tracks[random() % tracks.size()]); break;
        case 9:
            if (random() % 4 == 0) deck.Unload();
            break;
        case 10: deck.SetCue(random() % 2 == 0); break;
        default: deck.SetTempo(static_cast<double>(static_cast<int>(random() % 17) - 8)); break;
    }
}

}  // namespace

// Not among the ThreadSanitizer suites (no ThreadTest in its name): its windows paint
// through Qt's own image thread pool, which that sanitizer cannot see into. The deck and
// render tests of the same cases run under it.
TEST(NestingStressTest, RandomRequestsAndACloseDuringWaitsNeverHang) {
    const test::Watchdog watchdog("random requests during waits", std::chrono::seconds(90));
    test::TempDir dir;
    std::vector<std::string> tracks;
    for (int i = 0; i < 4; ++i)
        tracks.push_back(test::sourcesWav(dir.file("t" + std::to_string(i) + ".wav"),
                                          test::sourcesSignal(44100 * (2 + i), 2, 90 + i)));
    test::ShellRig shell;
    shell.sound = test::soundRecorderSystem();
    CZanAudioDlg dialog(shell.services());
    ASSERT_TRUE(dialog.OnInitDialog());
    CZanMixer& mixer = *dialog.mixer();
    mixer.engine().OpenOutputs("recorder", "Quillmix Recorder", "", "");
    PlayListModel& list = mixer.playList()->model();
    for (int i = 0; i < 8; ++i) list.AddEntry(i % 2, tracks[i % tracks.size()], -1, "");
    for (int d = 0; d < 2; ++d) {
        sendMessage(mixerWindow, UWM_NEXT_TRACK, d);
        mixer.engine().SetDeckLevel(d, 1.0);
        mixer.deck(d)->PlayPause(false);
    }

    std::mt19937 random(20261207);
    int fired = 0;
    QTimer requests;
    QObject::connect(&requests, &QTimer::timeout, [&] {
        fireRandomRequest(mixer, random, tracks);
        ++fired;
        requests.setInterval(static_cast<int>(2 + random() % 30));
    });
    requests.start(5);
    test::pumpFor(std::chrono::seconds(4));
    // The close comes from a timer too, most likely inside one of the requests' waits.
    QTimer::singleShot(3, [&] { postMessage(dialog.handle(), WM_CLOSE); });
    const bool closed = test::pumpUntil([&] { return dialog.mixer() == nullptr; }, std::chrono::seconds(30));
    requests.stop();
    EXPECT_GT(fired, 100);
    EXPECT_TRUE(closed) << "the close never ran";
}

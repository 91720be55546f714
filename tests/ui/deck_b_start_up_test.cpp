// The start-up load asked for deck B: into deck B and its play list entry, deck A untouched.
#include <gtest/gtest.h>

#include <QTimer>

#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/keyboard_reader.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "sound/sound_system.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"
#include "support/sound_engine_fixture.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/mixer_panel.h"

using namespace quillmix;

TEST(DeckBStartUpTest, TrackGoesIntoDeckBWithItsCurrentPlayListEntry) {
    createSharedEvents();
    test::TempDir dir;
    const std::string track = (dir.path() / "b.wav").string();
    test::sourcesWriteWav16(track, test::sourcesSilence(44100 * 2, 2), 2, 44100);
    CZanCommandLineInfo commandLine;
    CpuUsageMeter cpuMeter;
    HeldKeys keys;
    KeyboardReader keyboard{keys};
    std::unique_ptr<SoundSystem> sound = test::soundSteppedSystem();
    std::array<CZanTrackReader, 2> readers;
    std::array<CZanReadAheadRing, 2> rings;
    MixerServices mixer{*sound, nullptr, {&readers[0], &readers[1]}, {&rings[0], &rings[1]}, nullptr, {}};
    ShellServices services{commandLine, cpuMeter, keyboard, mixer, nullptr, false};
    services.deckBTrack = track;
    CZanAudioDlg dialog(services);
    QTimer::singleShot(50, [&] {
        ASSERT_NE(dialog.mixer(), nullptr);
        EXPECT_FALSE(dialog.mixer()->deck(0)->IsLoaded());
        EXPECT_TRUE(dialog.mixer()->deck(1)->IsLoaded());
        EXPECT_NEAR(dialog.mixer()->deck(1)->GetLength(), 2.0, 0.05);
        const PlayListModel& playList = dialog.mixer()->playList()->model();
        ASSERT_EQ(playList.EntryCount(), 1);
        EXPECT_EQ(playList.Entry(0).deck, 1u);
        EXPECT_EQ(playList.GetCurrentNumber(1), 1);
        dialog.mixerPanel()->confirmExit = [] { return true; };
        dialog.mixerPanel()->close();
    });
    dialog.DoModal();
}

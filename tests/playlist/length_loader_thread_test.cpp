// The model's links to the rest of the program: the length hand-over with the real loader
// thread (shared path, event, busy flag and result, and a synchronous send back to the
// window thread), and the requests to the mixer window.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "playlist/play_list_model.h"
#include "sources/track_length_loader.h"
#include "support/message_recorder.h"
#include "support/playlist_fakes.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"

using namespace quillmix;

namespace {

// Asked every millisecond, as the panel's timer does, the loader measures every file once;
// a tag names its entries, and a missing file or a folder shows as failed.
TEST(PlayListLengthThreadTest, EveryFileIsMeasuredExactlyOnce) {
    createSharedEvents();
    writeFlag(trackLengthLoaderBusy, 0);
    test::TempDir dir;
    for (int seconds = 1; seconds <= 3; ++seconds) {
        const auto wav = dir.file(std::to_string(seconds) + ".wav");
        test::sourcesWriteWav16(wav, test::sourcesSignal(44100 * seconds, 2, 4), 2, 44100);
    }
    ASSERT_TRUE(test::sourcesEncode(dir.file("2.wav"), dir.file("t.ogg"), "-c:a libvorbis -metadata title=Named"));
    test::RecordingMixer mixer;
    SharedTrackLengthLoader loader;
    PlayListModel model(mixer, loader);
    // "" is the folder itself; 1.wav comes twice: measured once, both rows filled.
    const std::vector<std::string> names = {"1.wav", "t.ogg", "absent.mp3", "2.wav", "", "3.wav", "1.wav"};
    for (std::size_t i = 0; i < names.size(); ++i) model.AddEntry(i % 2, dir.file(names[i]).string(), -1, "Listed");
    // Stands in for the mixer panel, which forwards the loader's reports to the play list.
    std::map<std::string, int> measured;
    test::MessageRecorder mixerPanel(&mixerWindow);
    mixerPanel.reply = [&](unsigned message, int, LParam) {
        if (message != UWM_TRACK_LENGTH_LOADED) return;
        ++measured[trackLengthLoadPath];
        model.OnTrackLengthLoaded();
    };

    std::thread loaderThread = startTrackLengthLoader();
    auto awaiting = [&] {
        for (int row = 0; row < model.EntryCount(); ++row)
            if (AwaitsLength(model.Entry(row))) return true;
        return false;
    };
    for (int round = 0; round < 20000 && awaiting(); ++round) {
        model.RequestNextLength();
        letWindowThreadRun(1);
    }
    requestTrackLengthLoaderStop();
    loaderThread.join();

    EXPECT_FALSE(awaiting());
    EXPECT_EQ(measured.size(), 6u);
    for (const auto& [path, count] : measured) EXPECT_EQ(count, 1) << path;
    const std::vector<std::string> times = {"0:01", "0:02", "???", "0:02", "???", "0:03", "0:01"};
    for (int row = 0; row < model.EntryCount(); ++row) EXPECT_EQ(model.RowTime(row), times[row]) << row;
    EXPECT_EQ(model.Entry(1).title, "Named");
    EXPECT_EQ(model.Entry(6).title, "Listed");  // untagged: the list's title stays
}

// The real link to the mixer window: the deck travels in wParam, and the mixer, called
// back synchronously, already finds the new current entry.
TEST(PlayListMixerLinkTest, LoadRequestReachesTheMixerWithTheNewCurrentEntry) {
    std::vector<std::string> paths;
    test::MessageRecorder recorder(&mixerWindow);
    MixerWindowLink link;
    test::ManualLoader loader;
    PlayListModel model(link, loader);
    // Notes, with each message, the path the mixer would load for deck B at that moment.
    recorder.reply = [&](unsigned message, int, LParam) {
        paths.push_back(message == UWM_LOAD_TRACK_FROM_PLAY_LIST ? model.GetCurrentPath(1) : "");
    };
    model.AddDroppedFiles({"/m/a.mp3"});
    model.AddFiles({"/m/b.mp3"}, DeckChoice::deckB);
    EXPECT_TRUE(model.SelectNext(1));
    ASSERT_EQ(recorder.log.size(), 3u);
    EXPECT_EQ(recorder.log[0].message, UWM_PLAY_LIST_CHANGED);
    EXPECT_EQ(recorder.log[2].message, UWM_LOAD_TRACK_FROM_PLAY_LIST);
    EXPECT_EQ(recorder.log[2].wParam, 1u);
    EXPECT_EQ(paths[2], "/m/b.mp3");
}

}  // namespace

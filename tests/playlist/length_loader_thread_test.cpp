// The model's links to the rest of the program: the length hand-over with a real loader
// thread (shared path, event, busy flag and result, and a synchronous send back to the
// window thread), and the requests to the mixer window.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "playlist/play_list_model.h"
#include "support/message_recorder.h"
#include "support/playlist_fakes.h"

using namespace quillmix;

namespace {

// Stands in for the mixer panel, which forwards the loader's report to the play list.
class MixerStandIn : public test::MessageRecorder {
public:
    explicit MixerStandIn(PlayListModel& model) : MessageRecorder(&mixerWindow), model_(model) {}

protected:
    void answer(unsigned message, int, LParam) override {
        if (message == UWM_TRACK_LENGTH_LOADED) model_.OnTrackLengthLoaded();
    }

private:
    PlayListModel& model_;
};

// The loader's side of the protocol: wake, raise busy, measure, report, lower busy.
void RunLoader(std::atomic<bool>& running, std::map<std::string, int>& requests) {
    while (true) {
        trackLengthLoadEvent.waitForever();
        writeFlag(trackLengthLoaderBusy, 1);
        if (!running) return;
        const std::string path = trackLengthLoadPath;
        ++requests[path];
        const bool openable = path.find("bad") == std::string::npos;
        trackLengthLoadTitle = "Title of " + path;
        trackLengthLoadResult = openable ? 60.0 + static_cast<double>(path.size()) : -1.0;
        sendMessage(mixerWindow, UWM_TRACK_LENGTH_LOADED);
        writeFlag(trackLengthLoaderBusy, 0);
    }
}

TEST(PlayListLengthThreadTest, EveryFileIsMeasuredExactlyOnce) {
    createSharedEvents();
    writeFlag(trackLengthLoaderBusy, 0);
    test::RecordingMixer mixer;
    SharedTrackLengthLoader loader;
    PlayListModel model(mixer, loader);
    for (int i = 0; i < 12; ++i)
        model.AddEntry(i % 2, "/m/" + std::string(i % 5 == 0 ? "bad" : "ok") + std::to_string(i), -1, "");
    model.AddEntry(0, "/m/ok1", -1, "");  // the same file twice: measured once, both filled
    MixerStandIn standIn(model);

    std::atomic<bool> running{true};
    std::map<std::string, int> requests;
    std::thread loaderThread(RunLoader, std::ref(running), std::ref(requests));
    auto awaiting = [&] {
        for (int row = 0; row < model.EntryCount(); ++row) {
            if (AwaitsLength(model.Entry(row))) return true;
        }
        return false;
    };
    for (int round = 0; round < 20000 && awaiting(); ++round) {
        model.RequestNextLength();  // the panel's periodic request, here every millisecond
        letWindowThreadRun(1);
    }
    running = false;
    trackLengthLoadEvent.set();
    loaderThread.join();

    EXPECT_FALSE(awaiting());
    EXPECT_EQ(requests.size(), 12u);
    for (const auto& [path, count] : requests) EXPECT_EQ(count, 1) << path;
    EXPECT_EQ(model.RowTime(0), "???");
    EXPECT_EQ(model.RowTime(1), "1:06");
    EXPECT_EQ(model.RowTime(12), "1:06");
    EXPECT_EQ(model.Entry(12).title, "Title of /m/ok1");
}

// The real link to the mixer window: the deck travels in wParam, and the mixer, called
// back synchronously, already finds the new current entry.
TEST(PlayListMixerLinkTest, LoadRequestReachesTheMixerWithTheNewCurrentEntry) {
    // Notes, with each message, the path the mixer would load for deck B at that moment.
    struct Recorder : test::MessageRecorder {
        explicit Recorder(PlayListModel*& model) : MessageRecorder(&mixerWindow), model_(model) {}
        void answer(unsigned message, int, LParam) override {
            paths.push_back(message == UWM_LOAD_TRACK_FROM_PLAY_LIST ? model_->GetCurrentPath(1) : "");
        }
        std::vector<std::string> paths;
        PlayListModel*& model_;
    };
    PlayListModel* modelPointer = nullptr;
    Recorder recorder(modelPointer);
    MixerWindowLink link;
    test::ManualLoader loader;
    PlayListModel model(link, loader);
    modelPointer = &model;
    model.AddDroppedFiles({"/m/a.mp3"});
    model.AddFiles({"/m/b.mp3"}, DeckChoice::deckB);
    EXPECT_TRUE(model.SelectNext(1));
    ASSERT_EQ(recorder.log.size(), 3u);
    EXPECT_EQ(recorder.log[0].message, UWM_PLAY_LIST_CHANGED);
    EXPECT_EQ(recorder.log[2].message, UWM_LOAD_TRACK_FROM_PLAY_LIST);
    EXPECT_EQ(recorder.log[2].wParam, 1u);
    EXPECT_EQ(recorder.paths[2], "/m/b.mp3");
}

}  // namespace

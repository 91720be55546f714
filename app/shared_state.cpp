#include <chrono>

#include "app/shared_state.h"

namespace quillmix {

Event trackLengthLoadEvent;
std::array<Event, kDeckCount> chartAnalysisDoneEvent;
std::array<Event, kDeckCount> octaveAnalysisDoneEvent;
std::array<Event, kDeckCount> scopeAnalysisDoneEvent;
std::array<Event, kDeckCount> deckReadyToPlayEvent;
std::array<Event, kDeckCount> discReadForwardEvent;
std::array<Event, kDeckCount> fileOpenIsDoneEvent;
std::array<Event, kDeckCount> playBackwardNotifyEvent;
std::array<Event, kDeckCount> playForwardNotifyEvent;
std::array<Event, kDeckCount> threadFileReadForwardIsDoneEvent;
std::array<Event, kDeckCount> threadPlayBackwardIsDoneEvent;
std::array<Event, kDeckCount> threadPlayForwardIsDoneEvent;

void createSharedEvents() {
    using R = Event::Reset;
    trackLengthLoadEvent = Event::create(R::automatic, false);
    for (int d = 0; d < kDeckCount; ++d) {
        chartAnalysisDoneEvent[d] = Event::create(R::manual, false);
        octaveAnalysisDoneEvent[d] = Event::create(R::manual, false);
        scopeAnalysisDoneEvent[d] = Event::create(R::manual, false);
        deckReadyToPlayEvent[d] = Event::create(R::manual, false);
        discReadForwardEvent[d] = Event::create(R::manual, false);
        fileOpenIsDoneEvent[d] = Event::create(R::manual, false);
        playBackwardNotifyEvent[d] = Event::create(R::manual, false);
        playForwardNotifyEvent[d] = Event::create(R::manual, false);
        // "Is Done" events start set, so stopping a thread that never ran returns at once.
        threadFileReadForwardIsDoneEvent[d] = Event::create(R::manual, true);
        threadPlayBackwardIsDoneEvent[d] = Event::create(R::manual, true);
        threadPlayForwardIsDoneEvent[d] = Event::create(R::manual, true);
    }
}

RunFlag keyboardThreadRunning{0};
RunFlag trackLengthLoaderRunning{0};
RunFlag trackLengthLoaderBusy{0};
std::array<RunFlag, kDeckCount> playForwardThreadRunning{};
std::array<RunFlag, kDeckCount> playBackwardThreadRunning{};
std::array<RunFlag, kDeckCount> fileReadForwardThreadRunning{};

std::atomic<std::uint8_t> keyboardShortcutsEnabled{1};
std::uint8_t toolTipsEnabled = 1;
std::uint8_t mainWindowReady = 0;

WindowHandle mainDialogWindow;
WindowHandle mixerWindow;
std::array<WindowHandle, kDeckCount> deckWindow{};

std::int64_t performanceFrequency = 0;
std::array<std::uint32_t, kDeckCount> deckColor{};
std::array<std::string, kDeckCount> fileOpenPath;
const std::string audioFileFilter = "*.mp3; *.ogg; *.wav; *.wma";
std::string trackLengthLoadPath;
std::string trackLengthLoadTitle;
double trackLengthLoadResult = 0.0;

std::int64_t performanceCounter() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

}  // namespace quillmix

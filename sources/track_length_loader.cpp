#include "sources/track_length_loader.h"

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "platform/messaging.h"
#include "platform/thread_priority.h"
#include "sources/track_reader.h"

namespace quillmix {

namespace {

// A private reader per request, never one of the decks'.
void measureRequestedTrack() {
    CZanTrackReader reader;
    if (reader.open(trackLengthLoadPath) == kStatusOk) {
        trackLengthLoadTitle = reader.title();
        trackLengthLoadResult = reader.lengthSeconds();
        reader.close();
    } else {
        trackLengthLoadResult = -1.0;  // the title keeps its previous value
    }
}

}  // namespace

void runTrackLengthLoader() {
    while (flagSet(trackLengthLoaderRunning)) {
        if (trackLengthLoadEvent.waitForever() != WaitResult::signaled) break;  // no event: nothing will come
        writeFlag(trackLengthLoaderBusy, 1);
        if (!flagSet(trackLengthLoaderRunning)) break;
        measureRequestedTrack();
        sendMessage(mixerWindow, UWM_TRACK_LENGTH_LOADED, 0, 0);
        writeFlag(trackLengthLoaderBusy, 0);
    }
}

std::thread startTrackLengthLoader() {
    writeFlag(trackLengthLoaderRunning, 1);
    return std::thread([] {
        setCurrentThreadPriority(ThreadPriority::belowNormal);
        runTrackLengthLoader();
    });
}

void requestTrackLengthLoaderStop() {
    writeFlag(trackLengthLoaderRunning, 0);
    trackLengthLoadEvent.set();
}

}  // namespace quillmix

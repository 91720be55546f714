#pragma once
// The track-length loader: measures files for the play list with a private track reader,
// one request at a time, from start-up to shut-down.
//
// Protocol (globals of app/shared_state.h): while trackLengthLoaderBusy is 0 the play list
// raises it, writes trackLengthLoadPath and sets trackLengthLoadEvent; the loader answers with
// trackLengthLoadResult (seconds, or -1.0 when the file cannot be opened) and, when it
// opened, trackLengthLoadTitle, then sends UWM_TRACK_LENGTH_LOADED (wParam 0) to
// mixerWindow, whose handler reads them.

#include <thread>

namespace quillmix {

// Thread body. Ends when trackLengthLoaderRunning is 0 at a wake-up.
void runTrackLengthLoader();

// Sets trackLengthLoaderRunning to 1 (here, so that a stop request made before the thread
// runs is not lost), then starts the loader one step below normal priority.
std::thread startTrackLengthLoader();

// Shut-down: run flag to 0 and a wake-up. The loader finishes a measurement in progress
// first; the caller may join it or let it go.
void requestTrackLengthLoaderStop();

}  // namespace quillmix

#pragma once
// The file-open thread: opens a file in a deck's track reader, so that the window thread
// never blocks inside the decoder's open. One thread per load.

#include <string>
#include <thread>

#include "sources/track_reader.h"

namespace quillmix {

// Thread body: opens fileOpenPath[deck] in `reader` (the result is not examined: the deck
// tests reader.isOpen()), then sets fileOpenIsDoneEvent[deck].
void runFileOpenThread(int deck, CZanTrackReader& reader);

// Starts the thread at normal priority. The caller has written fileOpenPath[deck] and reset
// fileOpenIsDoneEvent[deck]; it joins the thread once the event is set.
std::thread startFileOpenThread(int deck, CZanTrackReader& reader);

// Window thread: the deck's whole load protocol. Writes fileOpenPath[deck], resets the
// event, starts the thread, waits for it with message dispatch and joins it. True when the
// reader opened the file. No read-forward thread may be using the reader, except one
// blocked in its UWM_TRACK_READER_DONE send (the gapless continuation).
bool openTrackOnFileOpenThread(int deck, CZanTrackReader& reader, const std::string& path);

// Window thread: seeks `reader` to `fraction` of its track on a file-open thread, waiting
// with message dispatch as a load does. A seek may decode for a long while (a format without
// an index, a slow disk); the window thread keeps feeding the audio meanwhile. Same
// conditions as the load: no read-forward thread uses the reader.
void seekTrackOnFileOpenThread(int deck, CZanTrackReader& reader, double fraction);

}  // namespace quillmix

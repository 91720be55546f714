#pragma once
// The file read-forward thread of a deck: decodes ahead from the deck's track reader into
// its read-ahead ring, reports readiness to the mixer once, and refills the slots the mixer
// frees each time the mixer wakes it with discReadForwardEvent[deck].
//
// Protocol with the mixer (all sends to mixerWindow, wParam deck):
//   - UWM_PREPARE_DECK_OUTPUT once per start: after the 121st chunk of the first pass, or at
//     the end of the track when the track is shorter than that.
//   - UWM_TRACK_READER_DONE from inside the reader at the end of each track.
// The thread ends at the end of the track or when fileReadForwardThreadRunning[deck] drops
// to 0, and then sets threadFileReadForwardIsDoneEvent[deck].

#include <atomic>
#include <thread>

#include "platform/thread_priority.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"

namespace quillmix {

// Chunks decoded before the first pass reports readiness: about 8.07 s.
inline constexpr int kReadyChunkCount = 121;

// A fresh read-ahead starts an empty ring and reports readiness; a continuing one goes on
// after the slot where the previous one ended at the end of its track, the cycle playing on.
enum class ReadAheadStart { fresh, continuing };

// Thread body. The starter has reset threadFileReadForwardIsDoneEvent[deck] and set
// fileReadForwardThreadRunning[deck] to 1. True when it ended at the end of the track (its
// last chunk published at the ring's write index, the reader closed).
bool runFileReadForward(int deck, CZanTrackReader& reader, CZanReadAheadRing& ring,
                        ReadAheadStart start = ReadAheadStart::fresh);

// The deck's handle on its read-forward thread. All members run on the window thread.
class FileReadForwardThread {
public:
    FileReadForwardThread(int deck, CZanTrackReader& reader, CZanReadAheadRing& ring);
    ~FileReadForwardThread();  // stops a running thread
    FileReadForwardThread(const FileReadForwardThread&) = delete;
    FileReadForwardThread& operator=(const FileReadForwardThread&) = delete;

    // Starts a read-ahead at above-normal priority, stopping the previous one first. The
    // done event and run flag are set here, before the thread exists, so that a stop made
    // right after the start is never undone by the thread starting late.
    void start();

    // After a read-ahead that ended at the end of its track (endedAtTrackEnd) and a new
    // track opened in the reader: a read-ahead that goes on after the last slot written,
    // without emptying the ring or reporting readiness again (the deck stays ready).
    void startContinuing();
    bool endedAtTrackEnd() const { return endedAtTrackEnd_.load(); }

    // The stop steps: reset deckReadyToPlayEvent[deck], run flag to 0, wake the thread,
    // wait for its done event with message dispatch, join. Returns at once when none runs.
    void stop();

    // One step below normal, once the first fill has been reported. Best effort.
    bool lowerPriority();

    bool joinable() const { return thread_.joinable(); }

private:
    void launch(ReadAheadStart start);

    int deck_;
    CZanTrackReader& reader_;
    CZanReadAheadRing& ring_;
    std::thread thread_;
    std::atomic<KernelThreadId> threadId_{0};
    std::atomic<bool> endedAtTrackEnd_{false};
};

}  // namespace quillmix

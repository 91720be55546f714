#include "sources/file_read_forward_thread.h"

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "platform/messaging.h"

namespace quillmix {

namespace {

bool stillRunning(int deck) { return flagSet(fileReadForwardThreadRunning[deck]); }

void reportReady(int deck) {
    discReadForwardEvent[deck].reset();
    sendMessage(mixerWindow, UWM_PREPARE_DECK_OUTPUT, static_cast<WParam>(deck), 0);
}

enum class PassResult { wroteSome, wroteNone, finished, trackEnded };

// One pass: as many attempts as there were free slots when it began, in ring order from the
// write index, so that it never reaches a slot the mixer has not freed yet.
PassResult fillFreeSlots(int deck, CZanTrackReader& reader, CZanReadAheadRing& ring, bool& readyReported) {
    const int freeSlots = ring.countFreeSlots();
    bool wroteAny = false;
    for (int attempt = 0; attempt < freeSlots; ++attempt) {
        if (!stillRunning(deck)) return PassResult::finished;
        const int slot = ring.writeIndex();
        const std::string pathBefore = reader.path();
        std::int32_t bytes = 0;
        bool endOfTrack = false;
        if (reader.readChunk(deck, ring.chunk(slot), bytes, endOfTrack) != 0) continue;  // no track open
        wroteAny = true;
        // The reader names the track the chunk continues into; a reader closed at the end
        // of its track names none, and the chunk is the old track's.
        const std::string pathAfter = reader.path();
        ring.publish(slot, pathAfter.empty() ? pathBefore : pathAfter);
        if (endOfTrack) {
            // A track shorter than the ready count ends here; it still becomes playable.
            if (!readyReported) reportReady(deck);
            return PassResult::trackEnded;
        }
        if (!readyReported && attempt == kReadyChunkCount - 1) {
            reportReady(deck);
            readyReported = true;
        }
        // Once ready, a wake-up by the mixer during this pass starts one more pass at most.
        if (readyReported) discReadForwardEvent[deck].reset();
        ring.advanceWriteIndex();
    }
    return wroteAny ? PassResult::wroteSome : PassResult::wroteNone;
}

}  // namespace

bool runFileReadForward(int deck, CZanTrackReader& reader, CZanReadAheadRing& ring, ReadAheadStart start) {
    bool readyReported = start == ReadAheadStart::continuing;
    if (readyReported) {
        ring.advanceWriteIndex();  // past the last chunk of the previous track
    } else {
        ring.resetForProducer();
    }
    bool trackEnded = false;
    discReadForwardEvent[deck].set();  // the first pass starts at once
    while (stillRunning(deck)) {
        if (discReadForwardEvent[deck].waitForever() != WaitResult::signaled) break;
        if (!stillRunning(deck)) break;
        const PassResult result = fillFreeSlots(deck, reader, ring, readyReported);
        trackEnded = result == PassResult::trackEnded;
        if (result == PassResult::finished || trackEnded) break;
        // Nothing to read (no track open): sleep until woken rather than spin on a set event.
        if (result == PassResult::wroteNone) discReadForwardEvent[deck].reset();
    }
    threadFileReadForwardIsDoneEvent[deck].set();
    return trackEnded;
}

FileReadForwardThread::FileReadForwardThread(int deck, CZanTrackReader& reader, CZanReadAheadRing& ring)
    : deck_(deck), reader_(reader), ring_(ring) {}

FileReadForwardThread::~FileReadForwardThread() { stop(); }

void FileReadForwardThread::start() {
    stop();
    launch(ReadAheadStart::fresh);
}

void FileReadForwardThread::startContinuing() {
    // The thread has ended by itself: joined without the stop steps, so the deck's
    // readiness stays set for the cycle playing on.
    if (thread_.joinable()) {
        pumpingWait(threadFileReadForwardIsDoneEvent[deck_]);
        thread_.join();
    }
    launch(ReadAheadStart::continuing);
}

void FileReadForwardThread::launch(ReadAheadStart start) {
    threadFileReadForwardIsDoneEvent[deck_].reset();
    writeFlag(fileReadForwardThreadRunning[deck_], 1);
    threadId_.store(0);
    endedAtTrackEnd_.store(false);
    thread_ = std::thread([this, start] {
        threadId_.store(currentKernelThreadId());
        setCurrentThreadPriority(start == ReadAheadStart::fresh ? ThreadPriority::aboveNormal
                                                                : ThreadPriority::belowNormal);
        endedAtTrackEnd_.store(runFileReadForward(deck_, reader_, ring_, start));
    });
}

void FileReadForwardThread::stop() {
    if (!thread_.joinable()) return;
    deckReadyToPlayEvent[deck_].reset();
    writeFlag(fileReadForwardThreadRunning[deck_], 0);
    discReadForwardEvent[deck_].set();
    pumpingWait(threadFileReadForwardIsDoneEvent[deck_]);
    thread_.join();
    threadId_.store(0);
    endedAtTrackEnd_.store(false);
}

bool FileReadForwardThread::lowerPriority() {
    const KernelThreadId id = threadId_.load();
    return id != 0 && setThreadPriority(id, ThreadPriority::belowNormal);
}

}  // namespace quillmix

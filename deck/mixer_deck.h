#pragma once
// What the mixer asks of a deck: what the play-forward cycle needs, plus the transport
// operations that the mixer's message handlers call. The deck transport (CZanDeck2)
// implements it; engine tests implement it with fakes.
//
// Window thread only.

#include <cstdint>
#include <string>

namespace quillmix {

// What the play-forward cycle needs of a deck.
class DeckCycleClient {
public:
    virtual ~DeckCycleClient() = default;
    virtual int SampleRate() const = 0;  // of the track the reader holds
    virtual bool HasTrackLoaded() const = 0;
    virtual std::string CurrentTrackPath() const = 0;  // the track being heard
    virtual std::string ReaderPath() const = 0;        // the track the reader now holds
    virtual void OnReadyToPlay() = 0;
    virtual void OnTrackEnded() = 0;
    virtual void OnTrackChanged(const std::string& path) = 0;
    virtual void OnChunkPlayed() = 0;
    virtual void UpdatePosition(std::int32_t queuedBytes) = 0;
    virtual void UpdatePositionFraction() = 0;
    virtual void RedrawChart() = 0;
};

// What became of a next track offered to a deck whose reader has ended its track.
enum class ContinueResult { continued, notOpened, tooLate };

class MixerDeck : public DeckCycleClient {
public:
    virtual bool LoadTrack(const std::string& path) = 0;
    virtual void PlayPause(bool noCueReturn) = 0;
    virtual bool IsPlaying() const = 0;
    virtual double GetLength() const = 0;
    virtual std::string GetTitle() const = 0;
    virtual std::string GetExtraBrowsePath() const = 0;
    virtual bool IsNextTrackQueued() const = 0;  // the reader has moved on to the next track
    virtual void BeginNextTrack() = 0;
    // Opens `path` behind the audible track; false when it does not open.
    virtual bool QueueNextTrack(const std::string& path) = 0;
    // The reader ended the audible track with no next track, and the track's last chunk
    // has not gone to the output yet: a track added now can still follow without a gap.
    virtual bool CanContinueAfterEnd() const = 0;
    virtual ContinueResult ContinueAfterEnd(const std::string& path) = 0;
    // Bracket the mixer's handling of a send from the deck's read-forward thread: that
    // thread can end only after it, so the deck must not wait for it in between.
    virtual void WorkerSendBegins() {}
    virtual void WorkerSendEnds() {}
};

}  // namespace quillmix

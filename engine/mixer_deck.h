#pragma once
// What the mixer asks of a deck: the cycle's needs plus the transport operations that the
// mixer's message handlers call. The deck panel implements it through a thin link; tests
// implement it with fakes.

#include <string>

#include "engine/play_forward_cycle.h"

namespace quillmix {

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
};

}  // namespace quillmix

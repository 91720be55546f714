#pragma once
// What the mixer asks of a deck: the cycle's needs plus the transport operations that the
// mixer's message handlers call. The deck panel implements it through a thin link; tests
// implement it with fakes.

#include <string>

#include "engine/play_forward_cycle.h"

namespace quillmix {

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
    virtual void QueueNextTrack(const std::string& path) = 0;
};

}  // namespace quillmix

#pragma once
// The heartbeat of playback, in both directions (the name is that of its forward half,
// which feeds everything; backward play runs on the reversed chunks that the forward cycle
// has already written, see StartBackwardPlay and OnPlayBackwardNotify). Each time a deck's
// clock buffer crosses a chunk boundary its notify thread asks the window thread for one
// cycle, which works out the audible chunk, detects the end of the track, keeps the other
// output in step, tops up the queue of chunks written ahead of the cursor from the deck's
// read-ahead ring (each chunk forward into the forward buffers and time-reversed into the
// backward buffers), and drives the deck's display, its meter and the analysis.
//
// The clock is the main output when it has a device, otherwise the monitor output, so a
// deck plays also when only headphones are connected. Only the clock's buffers carry
// notifications; the other output follows it.
//
// Window thread only. Fades and waits dispatch messages, so every operation here may be
// entered again from inside another.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "deck/mixer_deck.h"
#include "dsp/chunk_format.h"
#include "engine/level_meter_model.h"

namespace quillmix {

class CZanAnalysis;
class CZanMixOutput;
class CZanMixState;
class CZanReadAheadRing;

class PlayForwardCycle {
public:
    static constexpr int kSlots = kOutputBufferChunks;
    static constexpr int kPreRollChunks = 26;
    static constexpr int kWakeReaderEvery = 27;
    static constexpr int kReportEvery = 3;
    static constexpr int kBackwardSlotLimit = 108;
    static constexpr int kBackwardJump = 4;
    static constexpr int kPlayAheadNormal = 26;
    static constexpr int kPlayAheadLong = 60;

    PlayForwardCycle(CZanMixState& mix, std::array<CZanReadAheadRing*, 2> rings, CZanAnalysis* analysis);

    void SetDeckClient(int deck, DeckCycleClient* client) { decks_[deck].client = client; }
    // Runs right after a deck's buffers have been created anew, before the pre-roll: the
    // mixer puts back what the new buffers do not carry yet (tempo, pan).
    std::function<void(int deck)> afterBuffersCreated;
    // Runs when the first chunk of a deck's next track has become audible: the play list
    // moves its selection to that entry.
    std::function<void(int deck)> trackBecameAudible;
    // Runs after each analysis run of a deck's chunk, when its results are complete: the
    // analyser shows them. Called inside the cycle, so it must be quick and must not wait.
    std::function<void(int deck)> analysisDone;
    CZanAnalysis* analysis() const { return analysis_; }

    // UWM_PREPARE_DECK_OUTPUT: fresh buffers on both outputs, 26 chunks of pre-roll, then
    // lastChunk 0 and the deck's OnReadyToPlay.
    void PrepareDeckOutput(int deck);
    // One chunk from the ring to both outputs (forward and reversed), or silence marked as
    // the end of the track when the ring has none. True when there was track audio.
    bool WriteChunk(int deck);

    void StartForwardPlay(int deck);
    // Without the wait only from inside that deck's own forward notification.
    void StopForwardPlay(int deck, bool waitForThread = true);
    void StartBackwardPlay(int deck);  // UWM_PLAY_BACKWARD steps lastChunk first
    void StopBackwardPlay(int deck, bool waitForThread = true);
    void PlayResumeAfterBackward(int deck);  // UWM_RESUME_AFTER_BACKWARD steps lastChunk back first
    void StepLastChunkForward(int deck);
    void StepLastChunkBack(int deck);

    void OnPlayForwardNotify(int deck);
    void OnPlayBackwardNotify(int deck);

    int QueuedChunks(int deck) const;
    void SetPlayAheadTarget(int chunks) { playAheadTarget_ = chunks; }
    int PlayAheadTarget() const { return playAheadTarget_; }

    // State, for the mixer's display and for tests.
    int LastChunk(int deck) const { return decks_[deck].lastChunk; }
    bool ChunkQueued(int deck, int slot) const { return decks_[deck].chunkQueued[slot]; }
    bool StopAtChunk(int deck, int slot) const { return decks_[deck].stopAtChunk[slot]; }
    const std::string& TrackOfChunk(int deck, int slot) const { return decks_[deck].trackOfChunk[slot]; }
    const CZanLevelMeterModel& Meter(int deck) const { return decks_[deck].meter; }
    int UnderrunCount() const { return underruns_; }
    CZanMixOutput& ClockOutput();
    CZanMixOutput* FollowerOutput();  // the other output when it has a device, else null

private:
    struct DeckState {
        std::array<bool, kSlots> chunkQueued{};
        std::array<bool, kSlots> stopAtChunk{};
        std::array<std::string, kSlots> trackOfChunk;
        int lastChunk = 0;
        int readCounter = 0;
        int tickCounter = 0;
        CZanLevelMeterModel meter;
        DeckCycleClient* client = nullptr;
        // Copy of the chunk in flight and its reversal; kept here so no chunk allocates.
        std::vector<std::int16_t> forward;
        std::vector<std::int16_t> reversed;
    };

    void writeToOutputs(int deck, const std::int16_t* forward, const std::int16_t* reversed);
    void showMeter(int deck, bool resetIt);
    bool isFakeForward(const DeckState& s, int position, int chunk) const;
    void keepFollowerInStep(int deck, int chunk);
    void clearPassedSlots(DeckState& s, int chunk);
    void afterChunkHeard(int deck, int chunk, bool plainChart);
    void runAnalysis(int deck, int chunk, bool plainChart);
    void countTick(int deck, int queuedChunks);

    CZanMixState& mix_;
    std::array<CZanReadAheadRing*, 2> rings_;
    CZanAnalysis* analysis_;
    std::array<DeckState, 2> decks_;
    int playAheadTarget_ = kPlayAheadNormal;
    int underruns_ = 0;
};

}  // namespace quillmix

#include "engine/play_forward_cycle.h"

#include <algorithm>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "app/worker_threads.h"
#include "dsp/sample_layout.h"
#include "engine/chunk_analysis.h"
#include "engine/zan_mix_state.h"
#include "sources/read_ahead_ring.h"

namespace quillmix {

namespace {
// An output opened on a device that failed (busy, unplugged) has no device: it gives no
// notifications and cannot be the clock.
bool hasDevice(const CZanMixOutput& out) { return out.output && out.output->HasDevice(); }
int previousSlot(int slot) { return slot == 0 ? PlayForwardCycle::kSlots - 1 : slot - 1; }
}  // namespace

PlayForwardCycle::PlayForwardCycle(CZanMixState& mix, std::array<CZanReadAheadRing*, 2> rings, CZanAnalysis* analysis)
    : mix_(mix), rings_(rings), analysis_(analysis) {
    for (auto& d : decks_) {
        d.meter.Init(10, 40.0f, 96.0f);
        d.forward.assign(kChunkSamples, 0);
        d.reversed.assign(kChunkSamples, 0);
    }
}

CZanMixOutput& PlayForwardCycle::ClockOutput() {
    return hasDevice(mix_.mainOutput) || !hasDevice(mix_.monitorOutput) ? mix_.mainOutput : mix_.monitorOutput;
}

CZanMixOutput* PlayForwardCycle::FollowerOutput() {
    CZanMixOutput& clock = ClockOutput();
    CZanMixOutput& other = &clock == &mix_.mainOutput ? mix_.monitorOutput : mix_.mainOutput;
    return hasDevice(other) ? &other : nullptr;
}

// The monitor output is written first, then the main output, as the two are started.
void PlayForwardCycle::writeToOutputs(int deck, const std::int16_t* forward, const std::int16_t* reversed) {
    mix_.monitorOutput.WriteForwardChunk(deck, forward);
    mix_.mainOutput.WriteForwardChunk(deck, forward);
    mix_.monitorOutput.WriteBackwardChunk(deck, reversed);
    mix_.mainOutput.WriteBackwardChunk(deck, reversed);
}

bool PlayForwardCycle::WriteChunk(int deck) {
    DeckState& s = decks_[deck];
    CZanReadAheadRing& ring = *rings_[deck];
    const int writePosition = ClockOutput().GetForwardWritePosition(deck);
    const int w = writePosition / kChunkBytes % kSlots;
    const int slot = ring.readIndex();
    if (!ring.isFilled(slot)) {
        // The track has run dry: silence, marked as where the track ends.
        s.stopAtChunk[w] = true;
        s.trackOfChunk[w].clear();
        std::fill(s.forward.begin(), s.forward.end(), 0);
        writeToOutputs(deck, s.forward.data(), s.forward.data());
        return false;
    }
    const std::int16_t* chunk = ring.chunk(slot);
    if (analysis_) analysis_->StoreChunk(deck, chunk, writePosition);
    s.chunkQueued[w] = true;
    s.stopAtChunk[w] = false;  // a slot written with audio no longer ends the track
    s.trackOfChunk[w] = ring.sourcePath(slot);
    ReverseChunk(chunk, s.reversed.data(), kChunkFrames);
    writeToOutputs(deck, chunk, s.reversed.data());
    ring.release(slot);
    ring.setReadIndex((slot + 1) % CZanReadAheadRing::kSlotCount);
    if (++s.readCounter >= kWakeReaderEvery) {
        s.readCounter = 0;
        discReadForwardEvent[deck].set();
    }
    return true;
}

void PlayForwardCycle::PrepareDeckOutput(int deck) {
    DeckState& s = decks_[deck];
    s.chunkQueued.fill(false);
    s.stopAtChunk.fill(false);
    for (auto& path : s.trackOfChunk) path.clear();
    const int rate = s.client ? s.client->SampleRate() : kSampleRate;
    // Only the clock's buffers carry notifications.
    const bool clockIsMain = &ClockOutput() == &mix_.mainOutput;
    mix_.monitorOutput.CreateDeckBuffers(deck, rate, !clockIsMain, true);
    mix_.mainOutput.CreateDeckBuffers(deck, rate, clockIsMain, true);
    if (afterBuffersCreated) afterBuffersCreated(deck);
    mix_.ApplyLevels();
    rings_[deck]->setReadIndex(0);
    for (int i = 0; i < kPreRollChunks; ++i) {
        WriteChunk(deck);
        runAnalysis(deck, 94 + i, false);
        if (s.client) s.client->RedrawChart();
    }
    s.lastChunk = 0;
    if (s.client) s.client->OnReadyToPlay();
}

void PlayForwardCycle::StartForwardPlay(int deck) {
    DeckState& s = decks_[deck];
    s.readCounter = 0;
    s.tickCounter = 0;
    pumpingWait(deckReadyToPlayEvent[deck]);
    if (flagSet(playForwardThreadRunning[deck])) return;
    startPlayForwardNotifyThread(deck);
    mix_.monitorOutput.PlayForward(deck);
    mix_.mainOutput.PlayForward(deck);
}

void PlayForwardCycle::StopForwardPlay(int deck, bool waitForThread) {
    if (!flagSet(playForwardThreadRunning[deck])) return;
    mix_.monitorOutput.StopDeck(deck);
    mix_.mainOutput.StopDeck(deck);
    writeFlag(playForwardThreadRunning[deck], 0);
    playForwardNotifyEvent[deck].set();
    showMeter(deck, true);
    if (waitForThread) pumpingWait(threadPlayForwardIsDoneEvent[deck]);
}

void PlayForwardCycle::StartBackwardPlay(int deck) {
    pumpingWait(deckReadyToPlayEvent[deck]);
    if (flagSet(playBackwardThreadRunning[deck])) return;
    startPlayBackwardNotifyThread(deck);
    mix_.monitorOutput.StartBackwardFromForward(deck);
    mix_.mainOutput.StartBackwardFromForward(deck);
}

void PlayForwardCycle::StopBackwardPlay(int deck, bool waitForThread) {
    if (!flagSet(playBackwardThreadRunning[deck])) return;
    mix_.monitorOutput.StopDeck(deck);
    mix_.mainOutput.StopDeck(deck);
    writeFlag(playBackwardThreadRunning[deck], 0);
    playBackwardNotifyEvent[deck].set();
    if (waitForThread) pumpingWait(threadPlayBackwardIsDoneEvent[deck]);
}

void PlayForwardCycle::PlayResumeAfterBackward(int deck) {
    pumpingWait(deckReadyToPlayEvent[deck]);
    if (flagSet(playForwardThreadRunning[deck])) return;
    startPlayForwardNotifyThread(deck);
    mix_.monitorOutput.ResumeForwardFromBackward(deck);
    mix_.mainOutput.ResumeForwardFromBackward(deck);
}

void PlayForwardCycle::StepLastChunkForward(int deck) {
    decks_[deck].lastChunk = (decks_[deck].lastChunk + 1) % kSlots;
}
void PlayForwardCycle::StepLastChunkBack(int deck) { decks_[deck].lastChunk = previousSlot(decks_[deck].lastChunk); }

int PlayForwardCycle::QueuedChunks(int deck) const {
    const auto& q = decks_[deck].chunkQueued;
    return static_cast<int>(std::count(q.begin(), q.end(), true));
}

void PlayForwardCycle::showMeter(int deck, bool resetIt) {
    if (resetIt) decks_[deck].meter.Reset();
    postMessage(mainDialogWindow, UWM_SHOW_DECK_METER, static_cast<WParam>(deck));
}

bool PlayForwardCycle::isFakeForward(const DeckState& s, int position, int chunk) const {
    return chunk == s.lastChunk || position == 0 || chunk == previousSlot(s.lastChunk);
}

void PlayForwardCycle::keepFollowerInStep(int deck, int chunk) {
    CZanMixOutput* follower = FollowerOutput();
    if (!follower) return;
    const int m = follower->GetForwardPlayPosition(deck) / kChunkBytes;
    if (m != chunk && m != previousSlot(chunk))
        follower->SetForwardPlayPosition(deck, ClockOutput().GetForwardPlayPosition(deck));
}

void PlayForwardCycle::clearPassedSlots(DeckState& s, int chunk) {
    for (int i = s.lastChunk; i != chunk; i = (i + 1) % kSlots) s.chunkQueued[i] = false;
    s.chunkQueued[chunk] = false;
    s.lastChunk = chunk;
}

void PlayForwardCycle::afterChunkHeard(int deck, int chunk, bool plainChart) {
    DeckState& s = decks_[deck];
    if (analysis_) s.meter.SetValue(static_cast<float>(analysis_->GetChunkLevel(deck, chunk)));
    showMeter(deck, false);
    runAnalysis(deck, chunk, plainChart);
    if (s.client) s.client->OnChunkPlayed();
}

void PlayForwardCycle::runAnalysis(int deck, int chunk, bool plainChart) {
    if (!analysis_) return;
    analysis_->RunAnalysis(deck, chunk, plainChart);
    if (analysisDone) analysisDone(deck);
}

void PlayForwardCycle::countTick(int deck, int queuedChunks) {
    DeckState& s = decks_[deck];
    if (++s.tickCounter < kReportEvery) return;
    s.tickCounter = 0;
    if (!s.client) return;
    s.client->UpdatePosition(queuedChunks * kChunkBytes);
    s.client->UpdatePositionFraction();
}

void PlayForwardCycle::OnPlayForwardNotify(int deck) {
    DeckState& s = decks_[deck];
    CZanMixOutput& clock = ClockOutput();
    if (!clock.IsForwardPlaying(deck)) return;
    playForwardNotifyEvent[deck].reset();
    const int position = clock.GetForwardPlayPosition(deck);
    const int c = position / kChunkBytes % kSlots;
    if (isFakeForward(s, position, c)) return;

    if (s.stopAtChunk[c]) {  // the silence after the last chunk is now audible
        if (s.client) s.client->OnTrackEnded();
        showMeter(deck, true);
        return;
    }
    keepFollowerInStep(deck, c);

    const int queued = QueuedChunks(deck);
    bool more = true;
    if (queued == playAheadTarget_) {
        more = WriteChunk(deck);
    } else if (queued < playAheadTarget_) {
        WriteChunk(deck);
        more = WriteChunk(deck);
    }
    // Underrun: the cursor entered a slot holding no fresh audio. Fade out, refill past the
    // cursor, and fade in again with a new notify thread.
    const bool underrun = !s.chunkQueued[c];
    if (underrun) {
        ++underruns_;
        StopForwardPlay(deck, false);
    }
    while (more && !s.chunkQueued[c]) more = WriteChunk(deck);
    if (underrun) {
        for (int i = 0; i < kPreRollChunks; ++i) WriteChunk(deck);
        StartForwardPlay(deck);
    }
    clearPassedSlots(s, c);

    // The first chunk of the next track is now audible.
    if (s.client && s.client->HasTrackLoaded() && !s.trackOfChunk[c].empty() &&
        s.client->CurrentTrackPath() != s.trackOfChunk[c]) {
        s.client->OnTrackChanged(s.trackOfChunk[c]);
        if (trackBecameAudible) trackBecameAudible(deck);
    }
    afterChunkHeard(deck, c, false);
    countTick(deck, queued);
}

void PlayForwardCycle::OnPlayBackwardNotify(int deck) {
    DeckState& s = decks_[deck];
    CZanMixOutput& clock = ClockOutput();
    if (!clock.IsBackwardPlaying(deck)) return;
    playBackwardNotifyEvent[deck].reset();
    const int position = clock.GetBackwardPlayPosition(deck);
    const int c = kSlots - 1 - position / kChunkBytes % kSlots;  // the forward slot just played
    if (c == s.lastChunk || position == 0 || c == (s.lastChunk + 1) % kSlots) return;

    // The forward buffer still holds what was played backward: mark it queued again, so
    // forward play resumes over it without reading it again.
    int steps = 0;
    for (int i = s.lastChunk; i != c; i = previousSlot(i)) {
        s.chunkQueued[i] = true;
        ++steps;
    }
    if (steps >= kBackwardJump) return;  // the position jumped
    s.chunkQueued[c] = true;
    s.lastChunk = c;
    if (QueuedChunks(deck) >= kBackwardSlotLimit) StopBackwardPlay(deck, false);
    afterChunkHeard(deck, c, true);
    if (++s.readCounter >= kWakeReaderEvery) s.readCounter = 0;
    countTick(deck, QueuedChunks(deck));
}

}  // namespace quillmix

#include "engine/deck_link.h"

#include "app/quillmix.h"
#include "deck/deck_panel.h"
#include "playlist/play_list_model.h"
#include "sources/track_reader.h"

namespace quillmix {

int DeckPanelLink::SampleRate() const { return reader_.sampleRate(); }
bool DeckPanelLink::HasTrackLoaded() const { return deck_.IsLoaded(); }
std::string DeckPanelLink::CurrentTrackPath() const { return deck_.GetCurrentTrackPath(); }
std::string DeckPanelLink::ReaderPath() const { return reader_.path(); }
void DeckPanelLink::OnReadyToPlay() { deck_.OnReadyToPlay(); }
void DeckPanelLink::OnTrackEnded() { deck_.OnTrackEnded(); }
void DeckPanelLink::OnTrackChanged(const std::string& path) { deck_.OnTrackChanged(path); }
void DeckPanelLink::OnChunkPlayed() { deck_.OnChunkPlayed(); }
void DeckPanelLink::UpdatePosition(std::int32_t queuedBytes) { deck_.UpdatePosition(queuedBytes); }
void DeckPanelLink::UpdatePositionFraction() { deck_.UpdatePositionFraction(); }
void DeckPanelLink::RedrawChart() {
    postMessage(mainDialogWindow, UWM_REDRAW_CIRCULAR_CHART, static_cast<WParam>(deck_.deckIndex()));
}
void DeckPanelLink::TrackBecameAudible() {
    if (playList_) playList_->AdvanceToQueued(deck_.deckIndex());
}

bool DeckPanelLink::LoadTrack(const std::string& path) { return deck_.LoadTrack(path); }
void DeckPanelLink::PlayPause(bool noCueReturn) { deck_.PlayPause(noCueReturn); }
bool DeckPanelLink::IsPlaying() const { return deck_.IsPlaying(); }
double DeckPanelLink::GetLength() const { return deck_.GetLength(); }
std::string DeckPanelLink::GetTitle() const { return deck_.GetTitle(); }
std::string DeckPanelLink::GetExtraBrowsePath() const { return deck_.GetExtraBrowsePath(); }
bool DeckPanelLink::IsNextTrackQueued() const { return deck_.nextTrackQueued(); }
void DeckPanelLink::BeginNextTrack() { deck_.BeginNextTrack(); }
bool DeckPanelLink::QueueNextTrack(const std::string& path) { return deck_.QueueNextTrack(path); }
bool DeckPanelLink::CanContinueAfterEnd() const { return deck_.CanContinueAfterEnd(); }
ContinueResult DeckPanelLink::ContinueAfterEnd(const std::string& path) {
    switch (deck_.ContinueAfterEnd(path)) {
        case CZanDeck2::Continuation::continued: return ContinueResult::continued;
        case CZanDeck2::Continuation::notOpened: return ContinueResult::notOpened;
        default: return ContinueResult::tooLate;
    }
}

}  // namespace quillmix

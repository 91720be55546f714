#pragma once
// The mixer's view of a deck panel: the transport operations and what the play-forward
// cycle tells the deck, forwarded to CZanDeck2, and the play list told when the deck's
// queued track becomes audible.

#include "engine/mixer_deck.h"

namespace quillmix {

class CZanDeck2;
class CZanTrackReader;
class PlayListModel;

class DeckPanelLink : public MixerDeck {
public:
    DeckPanelLink(CZanDeck2& deck, CZanTrackReader& reader, PlayListModel* playList)
        : deck_(deck), reader_(reader), playList_(playList) {}

    int SampleRate() const override;
    bool HasTrackLoaded() const override;
    std::string CurrentTrackPath() const override;
    std::string ReaderPath() const override;
    void OnReadyToPlay() override;
    void OnTrackEnded() override;
    void OnTrackChanged(const std::string& path) override;
    void OnChunkPlayed() override;
    void UpdatePosition(std::int32_t queuedBytes) override;
    void UpdatePositionFraction() override;
    void RedrawChart() override;
    void TrackBecameAudible() override;

    bool LoadTrack(const std::string& path) override;
    void PlayPause(bool noCueReturn) override;
    bool IsPlaying() const override;
    double GetLength() const override;
    std::string GetTitle() const override;
    std::string GetExtraBrowsePath() const override;
    bool IsNextTrackQueued() const override;
    void BeginNextTrack() override;
    bool QueueNextTrack(const std::string& path) override;
    bool CanContinueAfterEnd() const override;
    ContinueResult ContinueAfterEnd(const std::string& path) override;

private:
    CZanDeck2& deck_;
    CZanTrackReader& reader_;
    PlayListModel* playList_;
};

}  // namespace quillmix

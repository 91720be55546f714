#pragma once
// The engine of the mixer (CZanMixer): the mix state and both outputs, the play-forward
// cycle, and the handlers of the engine requests that workers, decks and the play list
// send to the mixer window. The panel's controls call the setters; the window's message
// handler hands every engine message to handleMessage.
//
// Window thread only.

#include <array>
#include <functional>
#include <string>

#include "deck/mixer_deck.h"
#include "engine/mixer_services.h"
#include "engine/play_forward_cycle.h"
#include "engine/zan_mix_state.h"
#include "platform/messaging.h"

namespace quillmix {

class CZanAnalysis;
class CZanReadAheadRing;
class PlayListModel;
class SettingsStore;
class SoundSystem;

class MixerEngine {
public:
    explicit MixerEngine(const MixerServices& services);
    ~MixerEngine();

    void SetDeck(int deck, MixerDeck* link);
    void SetPlayList(PlayListModel* playList) { playList_ = playList; }

    // Opens both outputs; an empty identifier disables that output.
    void OpenOutputs(const std::string& mainId, const std::string& mainName, const std::string& monitorId,
                     const std::string& monitorName);

    // Handles an engine request of the message catalogue; false for any other message.
    bool handleMessage(unsigned message, WParam wParam, LParam lParam, MessageResult& result);

    // ---- The mix controls ----
    void SetDeckLevel(int deck, double level);   // 0 .. 1, then ApplyLevels
    void SetMainCrossFader(double position);     // -1 .. 1, then ApplyLevels
    void SetMonitorCrossFader(double position);  // -1 .. 1, then ApplyLevels
    void UpdateCurve(double curve);              // -1 .. 1: both outputs, graph, levels, stored
    void SetDeckPan(int deck, double pan);       // -1 .. 1, on the main output
    void SetBalance(double balance);             // -1 .. 1, main output
    void SetMainVolume(double volume);           // 0 .. 1: speakers then wave line
    void SetMonitorVolume(double volume);        // 0 .. 1

    // ---- What the effects and equaliser panels publish, then ask for by message ----
    // The effect chosen for a deck: its parameters take the effect's defaults ("No Effect"
    // keeps them). Applied by UWM_APPLY_DECK_EFFECT.
    void ChooseEffect(int deck, const std::string& name);
    // A parameter value (field units), applied by UWM_SET_EFFECT_PARAMETERS (deck, index).
    void PublishEffectParameter(int deck, int index, float value);
    const std::string& ChosenEffect(int deck) const { return chosenEffect_[deck]; }
    // The equaliser's band count (2, 3 or 5) and the gain factor of a band (0.85 .. 1.15),
    // held in the deck's equaliser filter bank.
    void DesignEqualizer(int deck, int bands);
    void SetEqualizerBandFactor(int deck, int band, float factor);
    // The deck's equaliser filter bank (band centres and response curves); null when the
    // mixer was made without one.
    CZanFilterBank* EqualizerBank(int deck) const { return deck == 0 || deck == 1 ? equalizerBanks_[deck] : nullptr; }

    // Tells the user that a sound device went away; `text` names it. Called on the window
    // thread once per loss, after the outputs on it have closed. The panel shows it; tests
    // replace it. Unset: nothing is shown.
    std::function<void(const std::string& text)> deviceLostNotice;

    CZanMixState& mix() { return mix_; }
    PlayForwardCycle& cycle() { return cycle_; }

private:
    MixerDeck* deck(WParam w) const { return w < 2 ? decks_[w] : nullptr; }
    void reapplyDeckSettings(int deck);
    void onTrackReaderDone(int deck);
    void onSoundDeviceLost();
    void onPlayListChanged();
    void onMoveTrack(int deck, bool next);
    void loadTrackFromPlayList(int deck);
    void addDeckTrackToPlayList(int deck);

    bool handleEffectMessage(unsigned message, int deck, LParam lParam);

    CZanMixState mix_;
    PlayForwardCycle cycle_;
    SettingsStore* settings_;
    std::array<CZanFilterBank*, 2> equalizerBanks_;
    std::array<std::array<float, 2>, 2> effectParameter_{};  // what the effects panels publish
    std::array<std::string, 2> chosenEffect_{"No Effect", "No Effect"};
    // What the panels last asked for: the effect applied, the equaliser chain on. Fresh
    // buffers take both, so a deck set up before its first track is heard as set up.
    std::array<bool, 2> effectApplied_{};
    std::array<bool, 2> equalizerOn_{};
    PlayListModel* playList_ = nullptr;
    std::array<MixerDeck*, 2> decks_{};
    std::array<double, 2> deckPan_{};
};

}  // namespace quillmix

#include "engine/mixer_engine.h"

#include <algorithm>
#include <vector>

#include "app/message_catalogue.h"
#include "app/settings_store.h"
#include "app/shared_state.h"
#include "dsp/effect_table.h"
#include "dsp/filter_bank.h"
#include "playlist/play_list_model.h"

namespace quillmix {

MixerEngine::MixerEngine(const MixerServices& services)
    : mix_(services.soundSystem),
      cycle_(mix_, services.readForwardRings, services.analysis),
      settings_(services.settings),
      equalizerBanks_(services.equalizerFilterBanks) {
    cycle_.afterBuffersCreated = [this](int d) { reapplyDeckSettings(d); };
    cycle_.trackBecameAudible = [this](int d) {
        if (playList_) playList_->AdvanceToQueued(d);
    };
    for (int d = 0; d < kDeckCount; ++d)
        for (CZanMixOutput* out : {&mix_.monitorOutput, &mix_.mainOutput})
            out->SetDeckEffectInputs(d, DeckEffectInputs{equalizerBanks_[d], &effectParameter_[d]});
    mix_.levelDeck[0].Set(settings_ ? settings_->getLevel(0) : SettingsStore::kDefaultLevel);
    mix_.levelDeck[1].Set(settings_ ? settings_->getLevel(1) : SettingsStore::kDefaultLevel);
    mix_.SetCrossFadeCurve(settings_ ? settings_->getCrossFaderCurvePosition() : 0.0);
}

MixerEngine::~MixerEngine() {
    for (int d = 0; d < kDeckCount; ++d) {
        cycle_.StopBackwardPlay(d);
        cycle_.StopForwardPlay(d);
    }
}

void MixerEngine::SetDeck(int d, MixerDeck* link) {
    decks_[d] = link;
    cycle_.SetDeckClient(d, link);
}

void MixerEngine::OpenOutputs(const std::string& mainId, const std::string& mainName, const std::string& monitorId,
                              const std::string& monitorName) {
    if (mix_.OpenOutputDevices(mainId, mainName, monitorId, monitorName))
        postMessage(mainDialogWindow, UWM_SHOW_MAIN_LEVEL);
    mix_.SetCrossFadeCurve(mix_.crossFadeCurve.value);                  // new outputs take the curve and levels
    postMessage(mainDialogWindow, UWM_REFRESH_CROSS_FADE_CURVE_GRAPH);  // the graph shows the main output's tables
}

// New buffers start at the track's rate, centred: the deck's tempo and pan are put back,
// so a tempo set before a load still holds for the new track. So are the effect and the
// equaliser: switched on while the deck had no buffers, they reached no output then.
void MixerEngine::reapplyDeckSettings(int d) {
    for (CZanMixOutput* out : {&mix_.monitorOutput, &mix_.mainOutput}) {
        if (out->frequency[d] != kSampleRate) out->SetFrequency(d, out->frequency[d]);
        if (effectApplied_[d]) out->SetEffect(d, chosenEffect_[d]);
        if (equalizerOn_[d]) out->EqualizerOn(d);
    }
    mix_.mainOutput.SetDeckPan(d, static_cast<float>(deckPan_[d]));
}

void MixerEngine::SetDeckLevel(int d, double level) {
    mix_.levelDeck[d].Set(level);
    mix_.ApplyLevels();
}

void MixerEngine::SetMainCrossFader(double position) {
    mix_.mainCrossFader.Set(position);
    mix_.ApplyLevels();
}

void MixerEngine::SetMonitorCrossFader(double position) {
    mix_.monitorCrossFader.Set(position);
    mix_.ApplyLevels();
}

void MixerEngine::UpdateCurve(double curve) {
    mix_.crossFadeCurve.Set(curve);
    mix_.monitorOutput.SetCurve(mix_.crossFadeCurve.value);
    mix_.mainOutput.SetCurve(mix_.crossFadeCurve.value);
    postMessage(mainDialogWindow, UWM_REFRESH_CROSS_FADE_CURVE_GRAPH);
    mix_.ApplyLevels();
    if (settings_) settings_->setCrossFaderCurvePosition(static_cast<float>(mix_.crossFadeCurve.value));
}

void MixerEngine::SetDeckPan(int d, double pan) {
    deckPan_[d] = std::clamp(pan, -1.0, 1.0);
    mix_.mainOutput.SetDeckPan(d, static_cast<float>(deckPan_[d]));
}

void MixerEngine::SetBalance(double balance) { mix_.mainOutput.SetBalance(balance); }

void MixerEngine::SetMainVolume(double volume) {
    mix_.mainVolume.Set(volume);
    mix_.mainOutput.SetSpeakerVolume(mix_.mainVolume.value);
    mix_.SetMainVolume(mix_.mainVolume.value);
}

void MixerEngine::SetMonitorVolume(double volume) { mix_.SetMonitorVolume(volume); }

void MixerEngine::loadTrackFromPlayList(int d) {
    if (!playList_ || !decks_[d]) return;
    if (decks_[d]->LoadTrack(playList_->GetCurrentPath(d))) playList_->SetCurrentLength(d, decks_[d]->GetLength());
}

// The reader has delivered the last chunk of its file: the deck's next play list entry is
// opened in the same reader before the reader's send returns, so no sample is lost. When
// the file that ended was itself opened behind the audible one (a track shorter than the
// read-ahead), the entry after it follows. An entry that does not open is marked failed in
// the list and passed over, so one broken file does not end the set.
void MixerEngine::onTrackReaderDone(int d) {
    if (!decks_[d]) return;
    bool continuing = decks_[d]->IsNextTrackQueued();
    decks_[d]->BeginNextTrack();
    for (;;) {
        const std::string next = playList_ ? playList_->NextForReader(d, continuing) : std::string();
        if (decks_[d]->QueueNextTrack(next) || next.empty()) return;
        playList_->HandOverFailed(d);
        continuing = true;
    }
}

// The entries changed. A deck still reading takes its next entry when its reader ends its
// track. A deck whose reader has ended the audible track with nothing to follow takes the
// entry now, while the track's end is still in the ring, so that it follows without a gap.
void MixerEngine::onPlayListChanged() {
    if (!playList_) return;
    for (int d = 0; d < kDeckCount; ++d) {
        if (!decks_[d] || !decks_[d]->CanContinueAfterEnd()) continue;
        bool continuing = false;
        for (;;) {
            const std::string next = playList_->NextForReader(d, continuing);
            if (next.empty()) break;
            const ContinueResult result = decks_[d]->ContinueAfterEnd(next);
            if (result == ContinueResult::continued) break;
            if (result == ContinueResult::tooLate) {
                playList_->ForgetHandedOver(d);
                break;
            }
            playList_->HandOverFailed(d);
            continuing = true;
        }
    }
}

void MixerEngine::onMoveTrack(int d, bool next) {
    if (!playList_ || !decks_[d]) return;
    const bool wasPlaying = decks_[d]->IsPlaying();
    const bool moved = next ? playList_->SelectNext(d) : playList_->SelectPrevious(d);
    if (moved && wasPlaying && !decks_[d]->IsPlaying()) decks_[d]->PlayPause(true);
}

void MixerEngine::addDeckTrackToPlayList(int d) {
    if (!playList_ || !decks_[d]) return;
    playList_->AddEntry(d, decks_[d]->CurrentTrackPath(), decks_[d]->GetLength(), decks_[d]->GetTitle());
    const int row = playList_->EntryCount() - 1;
    playList_->MakeCurrent(row);
    playList_->SelectRow(row);
}

void MixerEngine::ChooseEffect(int d, const std::string& name) {
    chosenEffect_[d] = name;
    const EffectKind kind = effectKindFromName(name);
    if (kind == EffectKind::None) return;  // "No Effect" keeps the values
    const EffectDescription& effect = describeEffect(kind);
    for (int i = 0; i < 2; ++i) effectParameter_[d][i] = effect.parameters[i].defaultValue;
}

void MixerEngine::PublishEffectParameter(int d, int index, float value) {
    if (index < 0 || index > 1) return;
    effectParameter_[d][index] = value;
}

void MixerEngine::DesignEqualizer(int d, int bands) {
    if (equalizerBanks_[d]) equalizerBanks_[d]->Design(bands);
}

void MixerEngine::SetEqualizerBandFactor(int d, int band, float factor) {
    if (equalizerBanks_[d]) equalizerBanks_[d]->SetBandGain(band, factor);
}

// Effect and equaliser requests go to the monitor output first, then the main output.
bool MixerEngine::handleEffectMessage(unsigned message, int d, LParam l) {
    if (message == UWM_APPLY_DECK_EFFECT || message == UWM_CLEAR_DECK_EFFECT)
        effectApplied_[d] = message == UWM_APPLY_DECK_EFFECT;
    if (message == UWM_APPLY_EQUALIZER_CHAIN || message == UWM_REMOVE_DECK_EFFECT_CHAIN)
        equalizerOn_[d] = message == UWM_APPLY_EQUALIZER_CHAIN;
    for (CZanMixOutput* out : {&mix_.monitorOutput, &mix_.mainOutput}) {
        switch (message) {
            case UWM_APPLY_DECK_EFFECT: out->SetEffect(d, chosenEffect_[d]); break;
            case UWM_CLEAR_DECK_EFFECT: out->SetEffect(d, std::string(kNoEffectName)); break;
            case UWM_SET_EFFECT_PARAMETERS: out->SetEffectParameter(d, static_cast<int>(l)); break;
            case UWM_SET_EQUALIZER_BAND: out->SetEqualizerBandGain(d, static_cast<int>(l)); break;
            case UWM_APPLY_EQUALIZER_CHAIN: out->EqualizerOn(d); break;
            case UWM_REMOVE_DECK_EFFECT_CHAIN: out->EqualizerOff(d); break;
            default: return false;
        }
    }
    return true;
}

namespace {

// The sends of a deck's own worker threads: the thread waits in its send, so the deck must
// not wait for that thread while the send is handled.
bool isDeckWorkerSend(unsigned message) {
    return message == UWM_PREPARE_DECK_OUTPUT || message == UWM_TRACK_READER_DONE ||
           message == UWM_PLAY_FORWARD_NOTIFY || message == UWM_PLAY_BACKWARD_NOTIFY;
}

struct WorkerSendScope {
    WorkerSendScope(MixerDeck* deck, bool active) : deck_(active ? deck : nullptr) {
        if (deck_) deck_->WorkerSendBegins();
    }
    ~WorkerSendScope() {
        if (deck_) deck_->WorkerSendEnds();
    }
    MixerDeck* deck_;
};

}  // namespace

bool MixerEngine::handleMessage(unsigned message, WParam w, LParam l, MessageResult& result) {
    result = 0;
    const WorkerSendScope workerSend(deck(w), isDeckWorkerSend(message));
    if (w < 2 && handleEffectMessage(message, static_cast<int>(w), l)) return true;
    const int d = w < 2 ? static_cast<int>(w) : 0;
    const bool deckValid = w < 2;
    switch (message) {
        case UWM_SOUND_DEVICE_LOST: onSoundDeviceLost(); break;
        case UWM_PREPARE_DECK_OUTPUT:
            if (deckValid) cycle_.PrepareDeckOutput(d);
            break;
        case UWM_PLAY_FORWARD:
            if (deckValid) cycle_.StartForwardPlay(d);
            break;
        case UWM_STOP_FORWARD:
            if (deckValid) cycle_.StopForwardPlay(d);
            break;
        case UWM_PLAY_BACKWARD:
            if (deckValid) {
                cycle_.StepLastChunkForward(d);
                cycle_.StartBackwardPlay(d);
            }
            break;
        case UWM_STOP_BACKWARD:
            if (deckValid) cycle_.StopBackwardPlay(d);
            break;
        case UWM_RESUME_AFTER_BACKWARD:
            if (deckValid) {
                cycle_.StepLastChunkBack(d);
                cycle_.PlayResumeAfterBackward(d);
            }
            break;
        case UWM_PLAY_FORWARD_NOTIFY:
            if (deckValid) cycle_.OnPlayForwardNotify(d);
            break;
        case UWM_PLAY_BACKWARD_NOTIFY:
            if (deckValid) cycle_.OnPlayBackwardNotify(d);
            break;
        case UWM_REPORT_QUEUED_AUDIO:
            if (deck(w)) deck(w)->UpdatePosition(cycle_.QueuedChunks(d) * kChunkBytes);
            break;
        case UWM_BUFFER_AHEAD_LONG: cycle_.SetPlayAheadTarget(PlayForwardCycle::kPlayAheadLong); break;
        case UWM_BUFFER_AHEAD_NORMAL: cycle_.SetPlayAheadTarget(PlayForwardCycle::kPlayAheadNormal); break;
        case UWM_SET_DECK_FREQUENCY:
            if (deckValid) {
                mix_.monitorOutput.SetFrequency(d, static_cast<int>(l));
                mix_.mainOutput.SetFrequency(d, static_cast<int>(l));
            }
            break;
        case UWM_TRACK_READER_DONE:
            if (deckValid) onTrackReaderDone(d);
            break;
        case UWM_LOAD_TRACK_FROM_PLAY_LIST:
            if (deckValid) loadTrackFromPlayList(d);
            break;
        case UWM_PLAY_LIST_ADD_DECK_TRACK:
            if (deckValid) addDeckTrackToPlayList(d);
            break;
        case UWM_PLAY_LIST_ADD_EMPTY:
            if (playList_ && deck(w)) playList_->AddEntry(d, deck(w)->GetExtraBrowsePath(), -1.0, "");
            onPlayListChanged();
            break;
        case UWM_PLAY_LIST_CHANGED: onPlayListChanged(); break;
        case UWM_NEXT_TRACK:
            if (deckValid) onMoveTrack(d, true);
            break;
        case UWM_PREVIOUS_TRACK:
            if (deckValid) onMoveTrack(d, false);
            break;
        case UWM_PLAY_LIST_SELECT:
            if (playList_ && deckValid) playList_->ClearCurrent(d);
            break;
        case UWM_TRACK_LENGTH_LOADED:
            if (playList_) playList_->OnTrackLengthLoaded();
            break;
        default: return false;
    }
    return true;
}

}  // namespace quillmix

namespace quillmix {

// An output whose device died closes, as if it had no device: its decks stop feeding it
// and nothing waits on it. Both halves of one four-channel device make one notice.
void MixerEngine::onSoundDeviceLost() {
    std::vector<std::string> lost;
    for (CZanMixOutput* output : {&mix_.mainOutput, &mix_.monitorOutput}) {
        SoundDevice* device = output->output ? output->output->Device() : nullptr;
        if (!device || !device->lost()) continue;
        const std::string name = device->info().description;
        output->Close();
        if (std::find(lost.begin(), lost.end(), name) == lost.end()) lost.push_back(name);
    }
    for (const std::string& name : lost)
        if (deviceLostNotice) deviceLostNotice("The sound device \"" + name + "\" is no longer available.");
}

}  // namespace quillmix

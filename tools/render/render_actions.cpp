// The render script's commands, each the operation the panels call for the same action.
#include <cstdio>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "dsp/effect_table.h"
#include "engine/chunk_analysis.h"
#include "engine/zan_mixer.h"
#include "playlist/zan_play_list.h"
#include "tools/render/render_session.h"

namespace quillmix::render {

namespace {
void report(const Action& a, const std::string& what) { std::fprintf(stderr, "line %d: %s\n", a.line, what.c_str()); }
}  // namespace

void RenderSession::perform(const Action& a) {
    switch (a.command) {
        case Command::load:
        case Command::queue:
        case Command::playlist:
        case Command::play:
        case Command::pause:
        case Command::tempo:
        case Command::cue:
        case Command::seek:
        case Command::reverse:
        case Command::ffwd:
        case Command::rwnd:
        case Command::next:
        case Command::prev: performTransport(a); break;
        case Command::level:
        case Command::fader:
        case Command::curve:
        case Command::pan:
        case Command::balance:
        case Command::volume: performMix(a); break;
        default: performSound(a); break;
    }
}

void RenderSession::performTransport(const Action& a) {
    CZanDeck2& deck = *mixer_->deck(a.deck);
    PlayListModel& playList = mixer_->playList()->model();
    const int d = a.deck;
    auto waitUntilReady = [&] { waitWhile([&] { return deck.IsLoaded() && !deckReadyToPlayEvent[d].isSet(); }, 30); };
    switch (a.command) {
        case Command::load:
            if (!deck.LoadTrack(a.path)) report(a, "cannot load " + a.path);
            waitUntilReady();
            break;
        case Command::queue:
            playList.AddEntry(d, a.path, -1.0, "");
            sendMessage(mixerWindow, UWM_PLAY_LIST_CHANGED);
            break;
        case Command::playlist:
            if (!playList.LoadPlayList(a.path)) report(a, "cannot read the play list " + a.path);
            sendMessage(mixerWindow, UWM_PLAY_LIST_CHANGED);
            break;
        case Command::play:
            if (!deck.IsLoaded()) report(a, "nothing loaded on the deck");
            if (!deck.IsPlaying()) deck.PlayPause(false);
            waitWhile([&] { return deck.IsLoaded() && !deck.IsPlaying(); }, 30);
            break;
        case Command::pause:
            if (deck.IsPlaying()) deck.PlayPause(false);
            break;
        case Command::tempo: deck.SetTempo(a.value); break;
        case Command::cue: deck.SetCue(a.on); break;
        case Command::seek: {
            const bool wasPlaying = deck.IsPlaying();
            deck.SetPositionFraction(a.value);
            waitUntilReady();
            waitWhile([&] { return wasPlaying && !deck.IsPlaying(); }, 30);
            break;
        }
        case Command::reverse:
            postMessage(deckWindow[d], a.on ? UWM_REVERSE_BEGIN : UWM_REVERSE_END);
            waitWhile([&] { return deck.playingBackward() != (a.on && deck.IsPlaying()); }, 5);
            break;
        case Command::ffwd:
        case Command::rwnd: {
            const bool forward = a.command == Command::ffwd;
            seekHeld_[d] = a.on;
            if (a.on) {
                postMessage(deckWindow[d], forward ? UWM_FAST_FORWARD_BEGIN : UWM_REWIND_BEGIN);
                waitWhile([&] { return !deck.seeking(); }, 5);
            } else {
                const bool wasPlaying = deck.IsPlaying();
                postMessage(deckWindow[d], forward ? UWM_FAST_FORWARD_END : UWM_REWIND_END);
                waitWhile([&] { return deck.seeking(); }, 30);
                waitUntilReady();
                waitWhile([&] { return wasPlaying && !deck.IsPlaying(); }, 30);
            }
            break;
        }
        case Command::next:
        case Command::prev:
            sendMessage(mixerWindow, a.command == Command::next ? UWM_NEXT_TRACK : UWM_PREVIOUS_TRACK,
                        static_cast<WParam>(d));
            waitUntilReady();
            break;
        default: break;
    }
}

void RenderSession::performMix(const Action& a) {
    MixerEngine& engine = mixer_->engine();
    const bool main = a.output == Output::main;
    switch (a.command) {
        case Command::level: engine.SetDeckLevel(a.deck, a.value); break;
        case Command::fader: main ? engine.SetMainCrossFader(a.value) : engine.SetMonitorCrossFader(a.value); break;
        case Command::curve: engine.UpdateCurve(a.value); break;
        case Command::pan: engine.SetDeckPan(a.deck, a.value); break;
        case Command::balance: engine.SetBalance(a.value); break;
        case Command::volume: main ? engine.SetMainVolume(a.value) : engine.SetMonitorVolume(a.value); break;
        default: break;
    }
}

void RenderSession::performSound(const Action& a) {
    MixerEngine& engine = mixer_->engine();
    const auto d = static_cast<WParam>(a.deck);
    switch (a.command) {
        case Command::eqBands:
            engine.DesignEqualizer(a.deck, a.count);
            if (equalizerOn_[a.deck]) sendMessage(mixerWindow, UWM_APPLY_EQUALIZER_CHAIN, d);
            break;
        case Command::eqSwitch:
            equalizerOn_[a.deck] = a.on;
            sendMessage(mixerWindow, a.on ? UWM_APPLY_EQUALIZER_CHAIN : UWM_REMOVE_DECK_EFFECT_CHAIN, d);
            break;
        case Command::eqGain:
            engine.SetEqualizerBandFactor(a.deck, a.count - 1, static_cast<float>(a.value));
            sendMessage(mixerWindow, UWM_SET_EQUALIZER_BAND, d, a.count - 1);
            break;
        case Command::effect:
            if (effectKindFromName(a.name) == EffectKind::None && a.name != kNoEffectName)
                report(a, "no effect is called " + a.name);
            engine.ChooseEffect(a.deck, a.name);
            if (a.parameter1) engine.PublishEffectParameter(a.deck, 0, static_cast<float>(*a.parameter1));
            if (a.parameter2) engine.PublishEffectParameter(a.deck, 1, static_cast<float>(*a.parameter2));
            sendMessage(mixerWindow, UWM_APPLY_DECK_EFFECT, d);
            break;
        case Command::effectOff: sendMessage(mixerWindow, UWM_CLEAR_DECK_EFFECT, d); break;
        case Command::analysis:
            analysis()->SetOctaveEnabled(a.analysis == AnalysisMode::octave);
            analysis()->SetScopeEnabled(a.analysis == AnalysisMode::scope);
            break;
        default: report(a, "not available yet"); break;
    }
}

}  // namespace quillmix::render

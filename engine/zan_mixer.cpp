#include "engine/zan_mixer.h"

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "playlist/zan_play_list.h"
#include "sound/sound_system.h"

namespace quillmix {

CZanMixer::CZanMixer(MixerServices services) : services_(services), engine_(std::make_unique<MixerEngine>(services)) {
    mixerWindow = handle();
    services.soundSystem.setLossNotice({handle(), UWM_SOUND_DEVICE_LOST});
    playList_ = std::make_unique<CZanPlayList2>();
    engine_->SetPlayList(&playList_->model());
    for (int d = 0; d < kDeckCount; ++d) {
        decks_[d] =
            std::make_unique<CZanDeck2>(d, DeckSources{*services.trackReaders[d], *services.readForwardRings[d]});
        deckWindow[d] = decks_[d]->handle();
        engine_->SetDeck(d, decks_[d].get());
    }
}

CZanMixer::~CZanMixer() {
    destroyOwned();
    engine_.reset();
    if (mixerWindow == handle()) mixerWindow = WindowHandle{};
}

void CZanMixer::destroyOwned() {
    for (int d = 0; d < kDeckCount; ++d) {
        if (!decks_[d]) continue;
        if (engine_) engine_->SetDeck(d, nullptr);
        deckWindow[d] = WindowHandle{};
        decks_[d].reset();
    }
    if (engine_) engine_->SetPlayList(nullptr);
    playList_.reset();
}

MessageResult CZanMixer::handleMessage(unsigned message, WParam wParam, LParam lParam) {
    MessageResult result = 0;
    if (message == UWM_KEY_PRESSED) {
        if (keyPressed) keyPressed(static_cast<std::uint8_t>(wParam & 0xFF));
        return result;
    }
    if (engine_) engine_->handleMessage(message, wParam, lParam, result);
    return result;
}

}  // namespace quillmix

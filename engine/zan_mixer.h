#pragma once
// The mixer: the message hub that workers, decks and panels send engine requests to
// (mixerWindow). It owns both outputs and the play-forward cycle (through its engine), the
// transports of both decks and the play list. It has no widgets: the mixer panel and the
// other panels show what it holds and call its engine's setters.
//
// Window thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/mixer_engine.h"
#include "engine/mixer_services.h"
#include "platform/messaging.h"

namespace quillmix {

class CZanDeck2;
class CZanPlayList2;

class CZanMixer : public MessageWindow {
public:
    explicit CZanMixer(MixerServices services);
    ~CZanMixer() override;

    CZanDeck2* deck(int d) const { return decks_[d].get(); }
    CZanPlayList2* playList() const { return playList_.get(); }
    MixerEngine& engine() { return *engine_; }
    // The analysis the decks' charts come from; null when the program runs without one.
    const CZanAnalysis* analysis() const { return services_.analysis; }

    // Close order of what it owns (the main window's shut-down): the decks, which stop
    // playing and reading, then the play list.
    void destroyOwned();

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override;

    // One step of a held shortcut key (UWM_KEY_PRESSED, the key's code); the mixer panel,
    // which owns the controls the keys move, sets it. Unset: held keys do nothing.
    std::function<void(std::uint8_t code)> keyPressed;

private:
    MixerServices services_;
    std::unique_ptr<MixerEngine> engine_;
    std::array<std::unique_ptr<CZanDeck2>, 2> decks_;
    std::unique_ptr<CZanPlayList2> playList_;
};

}  // namespace quillmix

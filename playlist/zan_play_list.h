#pragma once
// The play list: the entries of both decks and their hand-over to the decks. It owns the
// play list model, whose requests reach the mixer window and the track-length loader, and
// asks for the next unknown length every 500 ms. A message window without widgets; the play
// list panel shows the model.
//
// Window thread only.

#include "platform/messaging.h"
#include "playlist/play_list_links.h"
#include "playlist/play_list_model.h"

namespace quillmix {

class CZanPlayList2 : public MessageWindow {
public:
    CZanPlayList2();

    PlayListModel& model() { return model_; }
    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override;
    void onTimer(int id) override;

    static constexpr int kLengthTimer = 1;
    bool lengthTimerRunning() const { return lengthTimerRunning_; }

private:
    void startLengthTimer();

    bool lengthTimerRunning_ = false;
    MixerWindowLink mixerLink_;
    SharedTrackLengthLoader loaderLink_;
    PlayListModel model_{mixerLink_, loaderLink_};
};

}  // namespace quillmix

#pragma once
// The play list panel: the entries of both decks and their hand-over to the decks. It owns
// the play list model, whose requests reach the mixer window and the track-length loader.

#include "app/panel_dialog.h"
#include "playlist/play_list_links.h"
#include "playlist/play_list_model.h"

namespace quillmix {

class CZanPlayList2 : public PanelDialog {
public:
    explicit CZanPlayList2(QWidget* parent);

    PlayListModel& model() { return model_; }
    void onTimer(int id) override;

    static constexpr int kLengthTimer = 1;
    bool lengthTimerRunning() const { return lengthTimerRunning_; }

protected:
    // While the play list is the active window, typing goes to it and no shortcut acts.
    void changeEvent(QEvent* event) override;

private:
    void startLengthTimer();

    bool lengthTimerRunning_ = false;
    MixerWindowLink mixerLink_;
    SharedTrackLengthLoader loaderLink_;
    PlayListModel model_{mixerLink_, loaderLink_};
};

}  // namespace quillmix

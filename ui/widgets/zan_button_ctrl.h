#pragma once
// CZanButtonCtrl: a push button drawn from skin images chosen by its kind and state.
//
// The transport kinds (reverse, rewind, fast forward) post a begin message to their target
// window when the left button goes down on them and the matching end message when it comes
// up, exactly once per press: a second press before the release posts nothing, and a press
// that ends without a release (the button is disabled or hidden while held) still posts its
// end. Every kind also clicks as an ordinary button.
//
// Drawing: the button face colour, then the state's image scaled over the whole button. An
// image is the kind's disabled image while disabled (reverse, rewind, fast forward and
// play/pause have one), else its pressed image while pressed, else its normal image; a
// power button picks its pair by powerOn, which the panel sets, or which follows the checked
// state when the panel makes the button checkable (an on/off toggle). A button without a
// kind, or whose image file is missing, shows the face colour alone.
//
// Threads: window thread only.

#include <QAbstractButton>
#include <QStringList>

#include "platform/messaging.h"

namespace quillmix {

enum class ButtonKind {
    None,
    Reverse,
    Rewind,
    FastForward,
    NextTrack,
    PlayPause,
    PreviousTrack,
    AddFile,
    AddFolder,
    Delete,
    Save,
    DeckSwap,
    MoveUp,
    MoveDown,
    DeleteAll,
    Power
};

class CZanButtonCtrl : public QAbstractButton {
    Q_OBJECT
public:
    explicit CZanButtonCtrl(QWidget* parent = nullptr, int controlId = 0);

    // Set once by the owning panel after creation.
    void setKind(ButtonKind kind);
    ButtonKind kind() const { return kind_; }
    // The deck (wParam of the begin and end messages) and the window they go to.
    void setDeckIndex(int deck) { deckIndex_ = deck; }
    int deckIndex() const { return deckIndex_; }
    void setTargetWindow(WindowHandle window) { target_ = window; }

    void SetPowerOn() { setPowerOn(true); }
    void ClearPowerOn() { setPowerOn(false); }
    void setPowerOn(bool on);
    bool powerOn() const { return powerOn_; }

    // True between a left-button press on the button and its release.
    bool held() const { return pressed_; }

    // A keyboard shortcut holds the button down as the left mouse button would: the
    // transport kinds post their begin message now and their end message on the release.
    // A disabled button takes no press, unless `showOnly` (the key's own action runs
    // anyway and the button only shows it).
    void pressFromKey(bool showOnly);
    void releaseFromKey() { endPress(); }

    // The skin file the present state draws; empty for a button without a kind.
    QString imageName() const;
    // Every skin file any kind and state can draw.
    static QStringList allImageNames();

    QSize sizeHint() const override { return {48, 32}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void beginPress();
    void endPress();

    ButtonKind kind_ = ButtonKind::None;
    int deckIndex_ = 0;
    WindowHandle target_;
    bool pressed_ = false;
    bool powerOn_ = false;
};

}  // namespace quillmix

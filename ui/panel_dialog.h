#pragma once
// The base of every panel: a top-level dialog window that also receives window messages.
// Panels live on the window thread. A panel passes its key presses and releases on to the
// mixer panel, where the shortcuts live, and Enter or Escape never close it.

#include <QDialog>
#include <QSize>

#include "platform/messaging.h"

namespace quillmix {

// Dialog units of the panel layouts to pixels, for the 8-point dialog font.
QSize dialogUnits(int width, int height);

class PanelDialog : public QDialog, public MessageWindow {
public:
    PanelDialog(QWidget* parent, const QString& title, QSize size);

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override;

    // The panel that acts on keys (the mixer panel). Without one, a panel acts on its own.
    void setKeyTarget(PanelDialog* target) { keyTarget_ = target; }

    // Window thread: a key press or release seen by any panel; the mixer panel's shortcuts.
    virtual void onWindowKey(QKeyEvent* /*event*/) {}

    // Window thread: a refresh request the main window routed to this panel (a UWM_SHOW_...
    // message of the catalogue; lParam as posted). The panel reads the value back from the
    // object it shows and sets its control; it changes no audio state.
    virtual void onRefresh(unsigned /*message*/, LParam /*lParam*/) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    PanelDialog* keyTarget_ = nullptr;
};

}  // namespace quillmix

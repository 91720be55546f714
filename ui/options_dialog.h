#pragma once
// The options dialog, "Quillmix Options": the sound device of each output (main and
// monitor), Split and Join of a four-channel device into its front and rear pairs, and the
// colour of each deck. It works on a copy of the device lists; only OK hands the choice
// back (see accepted()), so Cancel changes nothing.
//
// Window thread only. Run it modally with exec(), or drive its controls directly (tests):
// every control carries its numeric id as object name.

#include <QDialog>

#include <array>

#include "engine/zan_device_list.h"

class QComboBox;
class QLabel;
class QSlider;

namespace quillmix {

class CZanColorSquare;
class SettingsStore;
class SoundSystem;

class OptionsDialog : public QDialog {
public:
    // Enumerates the devices afresh and selects the stored choice; the colours start from
    // deckColor. `settings` may be null (nothing is stored then).
    OptionsDialog(QWidget* parent, const CZanSoundDeviceLists& lists, SoundSystem& system, SettingsStore* settings);

    // The device lists as the user left them; confirmed (see Confirm) once OK was pressed.
    const CZanSoundDeviceLists& lists() const { return lists_; }

    void accept() override;  // OK: stores colours and devices, then closes with OK

private:
    QComboBox* addDeviceGroup(int row, const char* title, int listId, int splitId, int joinId, bool main);
    void addColorGroup(int deck, int row);
    void showLists();  // both combo boxes from lists_
    void onColorChanged(int deck, int component, int value);
    void onSelected(bool main, int index);

    CZanSoundDeviceLists lists_;
    SettingsStore* settings_;
    std::array<QComboBox*, 2> combos_{};                     // main 1027, monitor 1029
    std::array<std::array<QSlider*, 3>, 2> colorSliders_{};  // per deck: red, green, blue
    std::array<std::array<QLabel*, 3>, 2> colorTexts_{};
    std::array<CZanColorSquare*, 2> squares_{};
    bool showing_ = false;  // combo boxes being refilled: their signals are not the user's
};

}  // namespace quillmix

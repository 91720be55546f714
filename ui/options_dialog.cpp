#include "ui/options_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "app/settings_store.h"
#include "app/shared_state.h"
#include "ui/panel_dialog.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_fader_controls.h"

namespace quillmix {

namespace {
constexpr std::array<std::array<int, 3>, 2> kSliderIds{{{1039, 1044, 1045}, {1046, 1047, 1048}}};
constexpr std::array<std::array<int, 3>, 2> kTextIds{{{1121, 1124, 1126}, {1129, 1132, 1134}}};
constexpr std::array<int, 2> kSquareIds{1122, 1130};
constexpr std::array<const char*, 3> kComponentNames{"Red:", "Green:", "Blue:"};

void name(QWidget* w, int id) { w->setObjectName(QString::number(id)); }
}  // namespace

OptionsDialog::OptionsDialog(QWidget* parent, const CZanSoundDeviceLists& lists, SoundSystem& system,
                             SettingsStore* settings)
    : QDialog(parent), lists_(lists), settings_(settings) {
    setObjectName("optionsDialog");
    setWindowTitle("Quillmix Options");
    setMinimumSize(dialogUnits(204, 284));
    auto* layout = new QGridLayout(this);
    setLayout(layout);
    combos_[0] = addDeviceGroup(0, "Main Sound Device", 1027, 1058, 1040, true);
    combos_[1] = addDeviceGroup(1, "Monitor Sound Device", 1029, 1059, 1041, false);
    addColorGroup(0, 2);
    addColorGroup(1, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    name(buttons->button(QDialogButtonBox::Ok), 1);
    name(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::reject);
    layout->addWidget(buttons, 4, 0);

    const std::string storedMain = settings_ ? settings_->getSoundDeviceMain() : lists.mainDeviceText;
    const std::string storedMonitor = settings_ ? settings_->getSoundDeviceHeadphones() : lists.monitorDeviceText;
    lists_.Refresh(system, storedMain, storedMonitor);
    showLists();
}

QComboBox* OptionsDialog::addDeviceGroup(int row, const char* title, int listId, int splitId, int joinId, bool main) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    auto* combo = new QComboBox(group);
    name(combo, listId);
    auto* split = new QPushButton("Split", group);
    name(split, splitId);
    auto* join = new QPushButton("Join", group);
    name(join, joinId);
    grid->addWidget(combo, 0, 0, 1, 2);
    grid->addWidget(split, 1, 0);
    grid->addWidget(join, 1, 1);
    static_cast<QGridLayout*>(layout())->addWidget(group, row, 0);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, main](int index) { onSelected(main, index); });
    connect(split, &QPushButton::clicked, this, [this, main] {
        main ? SplitDevice(lists_.mainList, lists_.monitorList) : SplitDevice(lists_.monitorList, lists_.mainList);
        showLists();
    });
    connect(join, &QPushButton::clicked, this, [this, main] {
        main ? JoinDevice(lists_.mainList, lists_.monitorList) : JoinDevice(lists_.monitorList, lists_.mainList);
        showLists();
    });
    return combo;
}

// Deck d's colour comes from deckColor[d] (0x00BBGGRR): red the low byte.
void OptionsDialog::addColorGroup(int deck, int row) {
    auto* group = new QGroupBox(deck == 0 ? "Deck A Color" : "Deck B Color", this);
    auto* grid = new QGridLayout(group);
    squares_[deck] = new CZanColorSquare(group, kSquareIds[deck]);
    grid->addWidget(squares_[deck], 0, 3, 3, 1);
    for (int c = 0; c < 3; ++c) {
        auto* slider = new QSlider(Qt::Horizontal, group);
        name(slider, kSliderIds[deck][c]);
        slider->setRange(0, 255);
        auto* text = new QLabel("255", group);
        name(text, kTextIds[deck][c]);
        grid->addWidget(new QLabel(kComponentNames[c], group), c, 0);
        grid->addWidget(slider, c, 1);
        grid->addWidget(text, c, 2);
        colorSliders_[deck][c] = slider;
        colorTexts_[deck][c] = text;
        connect(slider, &QSlider::valueChanged, this, [this, deck, c](int value) { onColorChanged(deck, c, value); });
        const int value = static_cast<int>((deckColor[deck] >> (8 * c)) & 0xFF);
        slider->setValue(value);
        onColorChanged(deck, c, value);  // also when the slider already stood there
    }
    static_cast<QGridLayout*>(layout())->addWidget(group, row, 0);
}

void OptionsDialog::onColorChanged(int deck, int component, int value) {
    colorTexts_[deck][component]->setText(QString::number(value));
    CZanColorSquare* square = squares_[deck];
    if (component == 0)
        square->SetRed(value);
    else if (component == 1)
        square->SetGreen(value);
    else
        square->SetBlue(value);
}

void OptionsDialog::onSelected(bool main, int index) {
    if (showing_) return;
    if (main)
        ChangeSelection(lists_.mainList, index, lists_.monitorList);
    else
        ChangeSelection(lists_.monitorList, index, lists_.mainList);
    showLists();
}

void OptionsDialog::showLists() {
    showing_ = true;
    const std::array<const CZanDeviceList*, 2> lists{&lists_.mainList, &lists_.monitorList};
    for (int i = 0; i < 2; ++i) {
        QComboBox* combo = combos_[i];
        combo->clear();
        for (const CZanDeviceEntry& entry : lists[i]->entries) combo->addItem(QString::fromStdString(entry.text));
        combo->setCurrentIndex(lists[i]->selected);
    }
    showing_ = false;
}

void OptionsDialog::accept() {
    for (int d = 0; d < kDeckCount; ++d) {
        const auto& s = colorSliders_[d];
        deckColor[d] = (static_cast<std::uint32_t>(s[2]->value()) << 16) |
                       (static_cast<std::uint32_t>(s[1]->value()) << 8) | static_cast<std::uint32_t>(s[0]->value());
        if (settings_) settings_->setColor(d, deckColor[d]);
    }
    lists_.Confirm();
    if (settings_) {
        settings_->setSoundDeviceMain(lists_.mainDeviceText);
        settings_->setSoundDeviceHeadphones(lists_.monitorDeviceText);
    }
    QDialog::accept();
}

}  // namespace quillmix

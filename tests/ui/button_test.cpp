// The skinned button and the track name: press messages, image choice, the built skin set
// and the name's 29 characters.
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include "app/message_catalogue.h"
#include "support/temp_dir.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_small_controls.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

// A skin folder of solid-colour images, so a rendered button shows which file it drew.
class SolidSkins {
public:
    SolidSkins() { setSkinFolder(QString::fromStdString(dir_.path().string())); }
    ~SolidSkins() { setSkinFolder(QString::fromLocal8Bit(QUILLMIX_TEST_TOOLS_DIR)); }
    void add(const QString& name, QColor color) {
        QImage image(12, 8, QImage::Format_ARGB32);
        image.fill(color);
        image.save(QDir(QString::fromStdString(dir_.path().string())).filePath(name));
        setSkinFolder(QString::fromStdString(dir_.path().string()));  // forget what was cached
    }

private:
    TempDir dir_;
};

// A 40 x 30 button of `kind` (its parent owns it).
CZanButtonCtrl* button(QWidget& parent, ButtonKind kind) {
    auto* b = new CZanButtonCtrl(&parent);
    b->resize(40, 30);
    b->setKind(kind);
    return b;
}

QColor centreOf(CZanButtonCtrl& button) {
    const QImage image = renderControl(button);
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

}  // namespace

// Which messages each transport kind posts is seen through the deck panel (Ffwd, Rev) and
// the press cut short below (Rwnd); here, that a press makes one pair whatever the mouse does.
TEST(ButtonTest, APressPostsOneBeginAndOneEndForItsDeck) {
    MessageRecorder deck;
    CZanButtonCtrl button(nullptr, 1054);
    button.resize(48, 32);
    button.setKind(ButtonKind::Reverse);
    button.setDeckIndex(1);
    button.setTargetWindow(deck.handle());
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    sendMouse(button, QEvent::MouseButtonPress, {10, 10});
    sendMouse(button, QEvent::MouseButtonPress, {10, 10});  // a second press before the release
    EXPECT_TRUE(button.held());
    sendMouse(button, QEvent::MouseButtonRelease, {10, 10});
    sendMouse(button, QEvent::MouseButtonRelease, {10, 10});  // a stray release
    EXPECT_EQ(postedTo(deck), (std::vector<unsigned>{UWM_REVERSE_BEGIN, UWM_REVERSE_END}));
    EXPECT_EQ(deck.log.front().wParam, 1u);
    EXPECT_EQ(clicks, 1);
}

TEST(ButtonTest, APressCutShortByDisablingStillEnds) {
    MessageRecorder deck;
    CZanButtonCtrl button;
    button.resize(48, 32);
    button.setKind(ButtonKind::Rewind);
    button.setTargetWindow(deck.handle());
    sendMouse(button, QEvent::MouseButtonPress, {10, 10});
    button.setEnabled(false);  // the track ended while the button was held
    sendMouse(button, QEvent::MouseButtonRelease, {10, 10});
    EXPECT_EQ(postedTo(deck), (std::vector<unsigned>{UWM_REWIND_BEGIN, UWM_REWIND_END}));
    EXPECT_FALSE(button.held());
}

TEST(ButtonTest, ImageFollowsKindStateAndPower) {
    SolidSkins skins;
    skins.add("playPause.png", Qt::green);
    skins.add("playPauseSelected.png", Qt::blue);
    skins.add("playPauseDisabled.png", Qt::red);
    skins.add("nextTrack.png", Qt::green);
    skins.add("powerOn.png", Qt::yellow);
    skins.add("powerOff.png", Qt::cyan);
    QWidget owner;
    CZanButtonCtrl& play = *button(owner, ButtonKind::PlayPause);
    EXPECT_TRUE(near(centreOf(play), Qt::green));
    sendMouse(play, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(near(centreOf(play), Qt::blue));
    sendMouse(play, QEvent::MouseButtonRelease, {5, 5});
    play.setEnabled(false);
    EXPECT_TRUE(near(centreOf(play), Qt::red));

    CZanButtonCtrl& next = *button(owner, ButtonKind::NextTrack);  // no disabled image: unchanged when disabled
    next.setEnabled(false);
    EXPECT_TRUE(near(centreOf(next), Qt::green));

    CZanButtonCtrl& power = *button(owner, ButtonKind::Power);
    EXPECT_TRUE(near(centreOf(power), Qt::cyan));
    power.setCheckable(true);  // an on/off toggle: a click turns it on
    sendMouse(power, QEvent::MouseButtonPress, {5, 5});
    sendMouse(power, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_TRUE(power.powerOn());
    EXPECT_TRUE(near(centreOf(power), Qt::yellow));

    CZanButtonCtrl& save = *button(owner, ButtonKind::Save);  // its file is missing: the face colour alone
    const QImage image = renderControl(save);
    for (QPoint p : {QPoint(0, 0), QPoint(20, 15), QPoint(39, 29)}) EXPECT_EQ(image.pixelColor(p), faceColor(save));
}

TEST(ButtonTest, TheBuildDrawsEveryImageTheButtonsUse) {
    setSkinFolder(QString::fromLocal8Bit(QUILLMIX_TEST_TOOLS_DIR));
    for (const QString& name : CZanButtonCtrl::allImageNames()) {
        const QImage& image = skinImage(name);
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_GT(image.width(), 0);
    }
    // The states differ visibly.
    EXPECT_NE(skinImage("rewind.png"), skinImage("rewindSelected.png"));
    EXPECT_NE(skinImage("rewind.png"), skinImage("rewindDisabled.png"));
    EXPECT_NE(skinImage("powerOn.png"), skinImage("powerOff.png"));
}

TEST(ButtonTest, SkinsAreFoundBesideTheProgramOrInTheInstalledDataFolder) {
    TempDir prefix;
    const QDir root(QString::fromStdString(prefix.path().string()));
    root.mkpath("bin");
    root.mkpath("share/quillmix/skins");
    EXPECT_EQ(skinFolderFor(root.filePath("bin")), root.filePath("share/quillmix/skins"));
    QImage(4, 4, QImage::Format_ARGB32).save(root.filePath("bin/playPause.png"));
    EXPECT_EQ(skinFolderFor(root.filePath("bin")), root.filePath("bin"));
}

TEST(SmallControlsTest, TrackNameShowsItsFirst29Characters) {
    const QString name = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCD");  // 40
    auto rendered = [](const QString& text) {
        CZanTrackNameIndicator indicator;
        indicator.resize(indicator.sizeHint().width() + 100, indicator.sizeHint().height());
        indicator.setText(text);
        return renderControl(indicator);
    };
    const QImage whole = rendered(name);
    EXPECT_EQ(whole, rendered(name.left(29)));
    EXPECT_NE(whole, rendered(name.left(28)));  // so the 29th character is drawn
}

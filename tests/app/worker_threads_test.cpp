// The notify and keyboard threads against a stand-in mixer window, with real threads.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include <thread>

#include "app/keyboard_reader.h"
#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "app/worker_threads.h"
#include "support/message_recorder.h"

using namespace quillmix;
using namespace std::chrono_literals;

namespace {

// Takes the notifications as the mixer does, lowering each deck's event; made with fresh
// shared events.
class MixerStandIn : public test::MessageRecorder {
public:
    MixerStandIn() : MessageRecorder(&mixerWindow) { createSharedEvents(); }

protected:
    void answer(unsigned message, int deck, LParam) override {
        if (message == UWM_PLAY_FORWARD_NOTIFY) playForwardNotifyEvent[deck].reset();
        if (message == UWM_PLAY_BACKWARD_NOTIFY) playBackwardNotifyEvent[deck].reset();
    }
};

using test::pumpFor;

}  // namespace

TEST(NotifyThreadTest, EachDecksEventWakesOnlyItsOwnThread) {
    MixerStandIn mixer;
    startPlayForwardNotifyThread(0);
    startPlayForwardNotifyThread(1);
    playForwardNotifyEvent[0].set();
    pumpFor(30ms);
    EXPECT_GE(mixer.count(UWM_PLAY_FORWARD_NOTIFY, 0), 1);
    EXPECT_EQ(mixer.count(UWM_PLAY_FORWARD_NOTIFY, 1), 0);
    stopPlayForwardNotifyThread(0);
    stopPlayForwardNotifyThread(1);
    EXPECT_EQ(flagSet(playForwardThreadRunning[0]), false);
}

TEST(NotifyThreadTest, StopWhileTheThreadIsBlockedInItsSendCompletes) {
    MixerStandIn mixer;
    startPlayBackwardNotifyThread(1);
    playBackwardNotifyEvent[1].set();
    std::this_thread::sleep_for(20ms);  // the thread now sits in its send; nothing pumps
    const int before = mixer.count(UWM_PLAY_BACKWARD_NOTIFY, 1);
    stopPlayBackwardNotifyThread(1);  // serves the send from inside its pumping wait
    EXPECT_TRUE(threadPlayBackwardIsDoneEvent[1].isSet());
    EXPECT_LE(mixer.count(UWM_PLAY_BACKWARD_NOTIFY, 1), before + 1);
}

TEST(NotifyThreadTest, StopOfANeverStartedThreadReturnsAndStopRightAfterStartIsNotLost) {
    MixerStandIn mixer;
    stopPlayForwardNotifyThread(0);
    stopPlayBackwardNotifyThread(1);
    EXPECT_TRUE(threadPlayForwardIsDoneEvent[0].isSet());
    for (int i = 0; i < 50; ++i) {
        startPlayForwardNotifyThread(0);
        stopPlayForwardNotifyThread(0);  // must not return before the new thread has ended
        ASSERT_TRUE(threadPlayForwardIsDoneEvent[0].isSet());
    }
}

// The poll thread sleeps while no key is down: a press must wake it, a held key is sent
// every poll while shortcuts are enabled, and a release quiets it.
TEST(KeyboardThreadTest, HeldKeysAreSentEveryPollOnlyWhileShortcutsAreEnabled) {
    MixerStandIn mixer;
    HeldKeys keys;
    KeyboardReader reader(keys);
    keyboardShortcutsEnabled = 1;
    startKeyboardPollThread(reader);
    pumpFor(50ms);
    EXPECT_EQ(mixer.count(UWM_KEY_PRESSED, 'T'), 0);
    keys.press('T');
    keys.press(0x23);  // End
    pumpFor(100ms);
    EXPECT_GE(mixer.count(UWM_KEY_PRESSED, 'T'), 2);
    EXPECT_GE(mixer.count(UWM_KEY_PRESSED, 0x23), 2);

    keyboardShortcutsEnabled = 0;
    pumpFor(40ms);
    mixer.log.clear();
    pumpFor(60ms);
    EXPECT_EQ(mixer.count(UWM_KEY_PRESSED, 'T'), 0);
    keyboardShortcutsEnabled = 1;
    pumpFor(60ms);
    EXPECT_GE(mixer.count(UWM_KEY_PRESSED, 'T'), 1);

    keys.release('T');
    keys.release(0x23);
    EXPECT_FALSE(keys.anyDown());
    pumpFor(40ms);
    mixer.log.clear();
    pumpFor(60ms);
    EXPECT_EQ(mixer.count(UWM_KEY_PRESSED), 0);
    stopKeyboardPollThread(reader);
    pumpFor(40ms);
}

TEST(HeldKeysTest, KeyEventsMapToCodesAndFocusLossReleasesEverything) {
    HeldKeys keys;
    // Shift+1 arrives as '!' on platforms without scan codes; it is still key '1'.
    QKeyEvent shiftOne(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier, "!");
    EXPECT_TRUE(keys.record(shiftOne));
    EXPECT_TRUE(keys.isDown('1'));
    // With an X11 scan code the physical key decides: X11 code 38 is 'A'.
    QKeyEvent a(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 38, 0, 0, "q");
    keys.record(a);
    EXPECT_TRUE(keys.isDown('A'));
    QKeyEvent keypadSlash(QEvent::KeyPress, Qt::Key_Slash, Qt::KeypadModifier);
    QKeyEvent plainSlash(QEvent::KeyPress, Qt::Key_Slash, Qt::NoModifier);
    EXPECT_TRUE(keys.record(keypadSlash));
    EXPECT_FALSE(keys.record(plainSlash));
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Exclam, Qt::ShiftModifier, "!", true);
    keys.record(repeatRelease);
    EXPECT_TRUE(keys.isDown('1'));

    KeyboardReader reader(keys);
    int count = 0;
    const std::uint8_t* codes = reader.GetPressedKeys(count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(codes[0], '1');  // table order: digits, then letters, then keypad divide
    EXPECT_EQ(codes[1], 'A');
    EXPECT_EQ(codes[2], '/');

    keys.releaseAll();
    reader.GetPressedKeys(count);
    EXPECT_EQ(count, 0);
}

TEST(NotifyThreadTest, RestartFromInsideTheSendLeavesOneThread) {
    // The underrun recovery: while handling its own notification the mixer stops the thread
    // without waiting and starts a new one. Afterwards exactly one thread must answer.
    struct RestartingMixer : MixerStandIn {
        void answer(unsigned message, int deck, LParam l) override {
            MixerStandIn::answer(message, deck, l);
            if (message == UWM_PLAY_FORWARD_NOTIFY && !restarted) {
                restarted = true;
                writeFlag(playForwardThreadRunning[0], 0);
                playForwardNotifyEvent[0].set();
                startPlayForwardNotifyThread(0);
            }
        }
        bool restarted = false;
    } mixer;
    startPlayForwardNotifyThread(0);
    playForwardNotifyEvent[0].set();
    pumpFor(30ms);
    ASSERT_TRUE(mixer.restarted);
    EXPECT_FALSE(threadPlayForwardIsDoneEvent[0].isSet());  // the new thread still runs
    mixer.log.clear();
    // One notification now: with two waiters it would be answered twice.
    playForwardNotifyEvent[0].set();
    pumpFor(30ms);
    EXPECT_EQ(mixer.count(UWM_PLAY_FORWARD_NOTIFY, 0), 1);
    stopPlayForwardNotifyThread(0);
    EXPECT_TRUE(threadPlayForwardIsDoneEvent[0].isSet());
}

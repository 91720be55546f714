#include "app/worker_threads.h"

#include <thread>

#include "app/keyboard_reader.h"
#include "platform/thread_priority.h"

namespace quillmix {

namespace {

void keyboardPollLoop(KeyboardReader* reader) {
    setCurrentThreadPriority(ThreadPriority::timeCritical);
    while (flagSet(keyboardThreadRunning)) {
        if (keyboardShortcutsEnabled.load(std::memory_order_relaxed) == 1) {
            int count = 0;
            const std::uint8_t* codes = reader->GetPressedKeys(count);
            for (int i = 0; i < count; ++i) {
                const auto code = static_cast<std::int8_t>(codes[i]);
                sendMessage(mixerWindow, UWM_KEY_PRESSED, static_cast<WParam>(static_cast<std::intptr_t>(code)), 0);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
}

struct NotifyThreadParts {
    Event isDone;  // copies of the handles, like duplicated handles
    RunFlag& running;
    Event notify;
    unsigned message;
};

void notifyLoop(int deck, NotifyThreadParts parts) {
    setCurrentThreadPriority(ThreadPriority::highest);
    while (flagSet(parts.running)) {
        parts.notify.waitForever();
        if (!flagSet(parts.running)) break;
        sendMessage(mixerWindow, parts.message, static_cast<WParam>(deck), 0);
    }
    parts.isDone.set();
}

// The starter, not the thread, resets "Is Done" and raises the run flag. Were the thread to
// do it, a stop issued before the new thread first ran would find "Is Done" still set from
// the previous run and return at once, and the thread would then raise its flag again and
// never end.
void startNotifyThread(int deck, NotifyThreadParts parts) {
    parts.isDone.reset();
    writeFlag(parts.running, 1);
    std::thread(notifyLoop, deck, parts).detach();
}

}  // namespace

void startKeyboardPollThread(KeyboardReader& reader) {
    writeFlag(keyboardThreadRunning, 1);  // raised before the thread runs, for the same reason
    std::thread(keyboardPollLoop, &reader).detach();
}

void startPlayForwardNotifyThread(int deck) {
    startNotifyThread(deck, {threadPlayForwardIsDoneEvent[deck], playForwardThreadRunning[deck],
                             playForwardNotifyEvent[deck], UWM_PLAY_FORWARD_NOTIFY});
}

void startPlayBackwardNotifyThread(int deck) {
    startNotifyThread(deck, {threadPlayBackwardIsDoneEvent[deck], playBackwardThreadRunning[deck],
                             playBackwardNotifyEvent[deck], UWM_PLAY_BACKWARD_NOTIFY});
}

void stopWorkerThread(RunFlag& runFlag, const Event& wakeEvent, const Event& isDone) {
    writeFlag(runFlag, 0);
    wakeEvent.set();
    if (!isDone.isNull()) pumpingWait(isDone);
}

void stopPlayForwardNotifyThread(int deck) {
    stopWorkerThread(playForwardThreadRunning[deck], playForwardNotifyEvent[deck], threadPlayForwardIsDoneEvent[deck]);
}

void stopPlayBackwardNotifyThread(int deck) {
    stopWorkerThread(playBackwardThreadRunning[deck], playBackwardNotifyEvent[deck],
                     threadPlayBackwardIsDoneEvent[deck]);
}

}  // namespace quillmix

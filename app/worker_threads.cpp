#include "app/worker_threads.h"

#include <thread>

#include "app/keyboard_reader.h"
#include "platform/thread_priority.h"

namespace quillmix {

namespace {

// Asleep while no key is down; while some key is, a poll every 15 ms.
void keyboardPollLoop(KeyboardReader* reader) {
    setCurrentThreadPriority(ThreadPriority::timeCritical);
    while (flagSet(keyboardThreadRunning)) {
        reader->WaitForKey();
        if (!flagSet(keyboardThreadRunning)) break;
        if (!reader->IsAnyKeyDown()) continue;
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

// A notify thread's run flag holds the generation of the thread that owns it: non-zero
// while it runs, 0 once stopped. A restart that does not wait for the old thread (the
// underrun recovery, which runs inside that thread's own send) gives the flag to the new
// thread, and the old one leaves its loop as soon as its send returns, so each deck keeps
// exactly one waiter per direction.
std::atomic<std::int32_t> nextGeneration{1};

std::int32_t takeGeneration() {
    std::int32_t g = nextGeneration.fetch_add(1);
    if (g <= 0) {  // wrapped: start again at 1
        nextGeneration.store(2);
        g = 1;
    }
    return g;
}

void notifyLoop(int deck, NotifyThreadParts parts, std::int32_t generation) {
    setCurrentThreadPriority(ThreadPriority::highest);
    while (parts.running.load() == generation) {
        parts.notify.waitForever();
        if (parts.running.load() != generation) break;
        sendMessage(mixerWindow, parts.message, static_cast<WParam>(deck), 0);
    }
    // Only a stopped thread reports done; one replaced by a newer thread leaves "Is Done"
    // to its successor.
    if (parts.running.load() == 0) parts.isDone.set();
}

// The starter, not the thread, resets "Is Done" and raises the run flag. Were the thread to
// do it, a stop issued before the new thread first ran would find "Is Done" still set from
// the previous run and return at once, and the thread would then raise its flag again and
// never end.
void startNotifyThread(int deck, NotifyThreadParts parts) {
    const std::int32_t generation = takeGeneration();
    parts.isDone.reset();
    writeFlag(parts.running, generation);
    std::thread(notifyLoop, deck, parts, generation).detach();
}

}  // namespace

void startKeyboardPollThread(KeyboardReader& reader) {
    writeFlag(keyboardThreadRunning, 1);  // raised before the thread runs, for the same reason
    std::thread(keyboardPollLoop, &reader).detach();
}

void stopKeyboardPollThread(const KeyboardReader& reader) {
    writeFlag(keyboardThreadRunning, 0);
    reader.Wake();
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

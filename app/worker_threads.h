#pragma once
// The worker threads that are not tied to track data: the keyboard poll thread and the
// per-deck play-forward and play-backward notify threads, plus the stop protocol shared by
// every looping worker. Workers never touch a panel; they report with sendMessage to
// mixerWindow.

#include <cstdint>

#include "app/message_catalogue.h"
#include "app/shared_state.h"

namespace quillmix {

class KeyboardReader;

// Starts the keyboard poll thread (time-critical priority, detached). It sets
// keyboardThreadRunning to 1 and, while it stays 1, sleeps until some key is down; while
// one is, every 15 ms (the first time at once) it sends UWM_KEY_PRESSED for each held
// mapped key if keyboardShortcutsEnabled is 1, wParam = the code as a signed byte widened.
// It ends once stopKeyboardPollThread has cleared the flag and woken it.
void startKeyboardPollThread(KeyboardReader& reader);
// Clears keyboardThreadRunning and wakes the poll thread so that it sees it. The reader
// must outlive the thread's last look at it: let the window thread run a moment before
// destroying it.
void stopKeyboardPollThread(const KeyboardReader& reader);

// Start the notify threads of a deck (highest priority, detached). Each resets its "Is Done"
// event, sets its run flag, and sends one UWM_PLAY_FORWARD_NOTIFY / UWM_PLAY_BACKWARD_NOTIFY
// each time its notify event wakes it while the flag stays set; then sets "Is Done".
void startPlayForwardNotifyThread(int deck);
void startPlayBackwardNotifyThread(int deck);

// Window thread: the three-step stop. Writes 0 to the run flag, sets the event the thread
// sleeps on, and pumping-waits on its "Is Done" event when it has one (a null isDone skips
// the wait). Messages keep being dispatched meanwhile, so a thread blocked in a send to the
// window thread finishes.
void stopWorkerThread(RunFlag& runFlag, const Event& wakeEvent, const Event& isDone);

void stopPlayForwardNotifyThread(int deck);
void stopPlayBackwardNotifyThread(int deck);

}  // namespace quillmix

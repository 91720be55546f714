#pragma once
// The state shared between the window thread and the worker threads: per-deck events, run
// flags, window handles and hand-over values. The messages they exchange are in
// app/message_catalogue.h.
//
// Threading rules that everything here relies on:
//   - Workers ask the window thread for engine work with sendMessage(mixerWindow, ...), and
//     for a screen refresh with postMessage(mainDialogWindow, ...). They never touch a panel.
//   - The window thread never blocks on an event that a worker sets: it uses pumpingWait.
//   - Run flags are written with an atomic exchange and read plainly.
//   - A hand-over value is written before its event is set, its thread started or its
//     message sent, and read only after the reader has been woken.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "dsp/chunk_format.h"
#include "platform/event.h"
#include "platform/messaging.h"

namespace quillmix {

inline constexpr int kDeckCount = 2;
inline constexpr int kDeckA = 0;
inline constexpr int kDeckB = 1;

// A 32-bit run flag: written with an atomic exchange, read plainly.
using RunFlag = std::atomic<std::int32_t>;

inline void writeFlag(RunFlag& flag, std::int32_t value) { flag.exchange(value); }
inline bool flagSet(const RunFlag& flag) { return flag.load() != 0; }

// ---- Events. All are null until createSharedEvents() runs (the application object's
// constructor); a null event fails every operation without effect. ----
extern Event trackLengthLoadEvent;                                      // auto reset, not set
extern std::array<Event, kDeckCount> chartAnalysisDoneEvent;            // manual, not set
extern std::array<Event, kDeckCount> octaveAnalysisDoneEvent;           // manual, not set
extern std::array<Event, kDeckCount> scopeAnalysisDoneEvent;            // manual, not set
extern std::array<Event, kDeckCount> deckReadyToPlayEvent;              // manual, not set
extern std::array<Event, kDeckCount> discReadForwardEvent;              // manual, not set
extern std::array<Event, kDeckCount> fileOpenIsDoneEvent;               // manual, not set
extern std::array<Event, kDeckCount> playBackwardNotifyEvent;           // manual, not set
extern std::array<Event, kDeckCount> playForwardNotifyEvent;            // manual, not set
extern std::array<Event, kDeckCount> threadFileReadForwardIsDoneEvent;  // manual, set
extern std::array<Event, kDeckCount> threadPlayBackwardIsDoneEvent;     // manual, set
extern std::array<Event, kDeckCount> threadPlayForwardIsDoneEvent;      // manual, set

// Creates every event above, trackLengthLoadEvent first, then deck 0's and deck 1's in the
// order listed. Calling it again replaces them (tests start from fresh events this way).
void createSharedEvents();

// ---- Run flags ----
extern RunFlag keyboardThreadRunning;
extern RunFlag trackLengthLoaderRunning;
extern RunFlag trackLengthLoaderBusy;
extern std::array<RunFlag, kDeckCount> playForwardThreadRunning;
extern std::array<RunFlag, kDeckCount> playBackwardThreadRunning;
extern std::array<RunFlag, kDeckCount> fileReadForwardThreadRunning;

// Byte flags. keyboardShortcutsEnabled is written by the window thread and read by the
// keyboard poll thread without synchronisation in the original design; it is atomic here
// (relaxed) so that the read is defined behaviour.
extern std::atomic<std::uint8_t> keyboardShortcutsEnabled;  // 1 at start
extern std::uint8_t toolTipsEnabled;                        // always 1
extern std::uint8_t mainWindowReady;                        // window thread only

// ---- Window handles, written once by the window thread during start-up. ----
extern WindowHandle mainDialogWindow;
extern WindowHandle mixerWindow;
extern std::array<WindowHandle, kDeckCount> deckWindow;

// ---- Hand-over values ----
extern std::int64_t performanceFrequency;                 // counter ticks per second
extern std::array<std::uint32_t, kDeckCount> deckColor;   // 0x00BBGGRR
extern std::array<std::string, kDeckCount> fileOpenPath;  // deck -> file-open thread
extern const std::string audioFileFilter;                 // "*.mp3; *.ogg; *.wav; *.wma"
extern std::string trackLengthLoadPath;                   // play list -> loader
extern std::string trackLengthLoadTitle;                  // loader -> play list
extern double trackLengthLoadResult;                      // seconds; -1.0 when unopenable

// The high-resolution counter behind performanceFrequency.
std::int64_t performanceCounter();

}  // namespace quillmix

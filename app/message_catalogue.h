#pragma once
// The catalogue of custom window messages: engine requests sent to the mixer (mixerWindow),
// a deck's own control messages posted to that deck (deckWindow[d]), and refresh requests
// posted to the main window (mainDialogWindow). Numbers count from WM_APP.

#include "platform/messaging.h"

namespace quillmix {

// ---- Requests to the mixer panel (mixerWindow); wParam is the deck unless noted. ----
inline constexpr unsigned UWM_LOAD_TRACK_FROM_PLAY_LIST = WM_APP + 4;
inline constexpr unsigned UWM_PREPARE_DECK_OUTPUT = WM_APP + 5;
inline constexpr unsigned UWM_APPLY_DECK_EFFECT = WM_APP + 7;
inline constexpr unsigned UWM_CLEAR_DECK_EFFECT = WM_APP + 8;
inline constexpr unsigned UWM_SET_EFFECT_PARAMETERS = WM_APP + 9;  // lParam: parameter data
inline constexpr unsigned UWM_TRACK_READER_DONE = WM_APP + 10;
inline constexpr unsigned UWM_SET_EQUALIZER_BAND = WM_APP + 11;  // lParam: band index
inline constexpr unsigned UWM_REMOVE_DECK_EFFECT_CHAIN = WM_APP + 12;
inline constexpr unsigned UWM_APPLY_EQUALIZER_CHAIN = WM_APP + 13;
inline constexpr unsigned UWM_PLAY_LIST_EDIT_DONE = WM_APP + 16;  // wParam 0
inline constexpr unsigned UWM_KEY_PRESSED = WM_APP + 17;          // wParam: key code
inline constexpr unsigned UWM_PLAY_FORWARD = WM_APP + 18;
inline constexpr unsigned UWM_PLAY_BACKWARD = WM_APP + 19;
inline constexpr unsigned UWM_PLAY_BACKWARD_NOTIFY = WM_APP + 20;
inline constexpr unsigned UWM_PLAY_FORWARD_NOTIFY = WM_APP + 21;
inline constexpr unsigned UWM_SET_DECK_FREQUENCY = WM_APP + 22;  // lParam: frequency in Hz
inline constexpr unsigned UWM_PLAY_LIST_ADD_DECK_TRACK = WM_APP + 23;
inline constexpr unsigned UWM_PLAY_LIST_ADD_EMPTY = WM_APP + 24;
inline constexpr unsigned UWM_PLAY_LIST_CHANGED = WM_APP + 25;  // wParam 0
inline constexpr unsigned UWM_NEXT_TRACK = WM_APP + 27;
inline constexpr unsigned UWM_PREVIOUS_TRACK = WM_APP + 28;
inline constexpr unsigned UWM_PLAY_LIST_SELECT = WM_APP + 29;
inline constexpr unsigned UWM_RESUME_AFTER_BACKWARD = WM_APP + 30;
inline constexpr unsigned UWM_BUFFER_AHEAD_LONG = WM_APP + 35;    // wParam 0
inline constexpr unsigned UWM_BUFFER_AHEAD_NORMAL = WM_APP + 36;  // wParam 0
inline constexpr unsigned UWM_STOP_FORWARD = WM_APP + 41;
inline constexpr unsigned UWM_STOP_BACKWARD = WM_APP + 42;
inline constexpr unsigned UWM_REPORT_QUEUED_AUDIO = WM_APP + 46;
inline constexpr unsigned UWM_TRACK_LENGTH_LOADED = WM_APP + 47;  // wParam 0
// Posted to the mixer window by a sound device whose stream died (from its watchdog
// thread): the outputs on it close, and the user is told once, by the device's name.
inline constexpr unsigned UWM_SOUND_DEVICE_LOST = WM_APP + 80;

// ---- Posted to a deck panel (deckWindow[d]) by that deck's own controls. ----
inline constexpr unsigned UWM_FADER_START = WM_APP + 2;
inline constexpr unsigned UWM_FAST_FORWARD_BEGIN = WM_APP + 14;
inline constexpr unsigned UWM_FAST_FORWARD_END = WM_APP + 15;
inline constexpr unsigned UWM_PLAY_LIST_DROP_FILES = WM_APP + 26;  // to the play list panel
inline constexpr unsigned UWM_REVERSE_BEGIN = WM_APP + 31;
inline constexpr unsigned UWM_REVERSE_END = WM_APP + 32;
inline constexpr unsigned UWM_REWIND_BEGIN = WM_APP + 33;
inline constexpr unsigned UWM_REWIND_END = WM_APP + 34;
inline constexpr unsigned UWM_SCRATCH_BACKWARD = WM_APP + 37;
inline constexpr unsigned UWM_SCRATCH_FORWARD = WM_APP + 38;
inline constexpr unsigned UWM_SCRATCH_RELEASE = WM_APP + 40;
inline constexpr unsigned UWM_POSITION_DRAG_BEGIN = WM_APP + 48;
// Posted by a deck to itself: run the operations that arrived while it was suspended in a wait.
inline constexpr unsigned UWM_RUN_DEFERRED_DECK_OPERATIONS = WM_APP + 81;

// ---- Refresh requests to the main window (mainDialogWindow). ----
inline constexpr unsigned UWM_SHOW_CPU_USAGE = WM_APP + 49;
inline constexpr unsigned UWM_REFRESH_CROSS_FADE_CURVE_GRAPH = WM_APP + 50;
inline constexpr unsigned UWM_SHOW_CROSS_FADE_CURVE_POSITION = WM_APP + 51;
inline constexpr unsigned UWM_SHOW_MONITOR_CROSS_FADER = WM_APP + 52;
inline constexpr unsigned UWM_SHOW_MAIN_CROSS_FADER = WM_APP + 53;
inline constexpr unsigned UWM_SHOW_CUE_BUTTON = WM_APP + 54;
inline constexpr unsigned UWM_SHOW_TIME_ENABLED = WM_APP + 55;
inline constexpr unsigned UWM_SHOW_TIME_TEXT = WM_APP + 56;
inline constexpr unsigned UWM_SHOW_LENGTH_TEXT = WM_APP + 57;
inline constexpr unsigned UWM_SHOW_TRACK_NAME = WM_APP + 58;
inline constexpr unsigned UWM_SHOW_EFFECT_PARAMETER_NAMES = WM_APP + 61;
inline constexpr unsigned UWM_SHOW_EFFECT_PARAMETER_VALUE = WM_APP + 62;   // lParam: 0 or 1
inline constexpr unsigned UWM_SHOW_EFFECT_PARAMETER_SLIDER = WM_APP + 63;  // lParam: 0 or 1
inline constexpr unsigned UWM_SHOW_DECK_METER = WM_APP + 64;
inline constexpr unsigned UWM_SHOW_DECK_LEVEL = WM_APP + 65;
inline constexpr unsigned UWM_SHOW_MAIN_LEVEL = WM_APP + 66;
inline constexpr unsigned UWM_ENABLE_REVERSE_BUTTON = WM_APP + 69;     // lParam: enable
inline constexpr unsigned UWM_ENABLE_TRANSPORT_BUTTONS = WM_APP + 70;  // lParam: enable
inline constexpr unsigned UWM_REDRAW_CIRCULAR_CHART = WM_APP + 71;
inline constexpr unsigned UWM_SHOW_TEMPO_TEXT = WM_APP + 72;
inline constexpr unsigned UWM_SHOW_TEMPO_SLIDER = WM_APP + 73;
inline constexpr unsigned UWM_SHOW_POSITION_SLIDER = WM_APP + 75;
inline constexpr unsigned UWM_RELAYOUT_PANELS = WM_APP + 77;

}  // namespace quillmix

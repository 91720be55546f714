#pragma once
// Window messages between threads, on Qt's event loop.
//
// A MessageWindow is anything that handles numbered messages: a panel, the hidden main
// window, or a plain object standing in for one. It lives on the thread that created it
// (the window thread). Other threads reach it only through its WindowHandle:
//   - sendMessage blocks until the window thread has run the handler. On the window thread
//     itself it is a direct call. A worker's send is served from any event loop the window
//     thread sits in, pumpingWait and modal loops included.
//   - postMessage queues the message and returns; the message is dropped with its window.
// pumpingWait is the window thread's only way to wait for a worker's event.

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/event.h"

namespace quillmix {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using MessageResult = std::intptr_t;

// The base of the application's own message numbers.
inline constexpr unsigned WM_APP = 0x8000;
// Asks a window to close; the main window's close is the program's orderly shut-down.
inline constexpr unsigned WM_CLOSE = 0x0010;

struct WindowHandle {
    std::uint32_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(WindowHandle, WindowHandle) = default;
};

class MessagePort;

class MessageWindow {
public:
    MessageWindow();
    virtual ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    WindowHandle handle() const { return handle_; }

    // Runs on the window thread for every message sent or posted to this window.
    virtual MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) = 0;

    // Window timers: onTimer(id) runs on the window thread every periodMs until killed.
    // Setting an id that runs already restarts it with the new period.
    void setWindowTimer(int id, int periodMs);
    void killWindowTimer(int id);
    virtual void onTimer(int /*id*/) {}

private:
    friend class MessagePort;
    WindowHandle handle_;
    std::unique_ptr<MessagePort> port_;
};

MessageResult sendMessage(WindowHandle window, unsigned message, WParam wParam = 0, LParam lParam = 0);
bool postMessage(WindowHandle window, unsigned message, WParam wParam = 0, LParam lParam = 0);

// True while the window still exists.
bool isWindow(WindowHandle window);

// Window thread: waits in 1 ms slices for the event, dispatching queued messages between
// slices. Returns at once for a null event. Returns the final wait result.
WaitResult pumpingWait(const Event& event);

// Window thread: how many waits that dispatch messages (pumpingWait, fade waits) are on the
// stack now. A handler that finds it above zero runs nested inside one of them, and must
// not destroy what a suspended frame still uses.
int pumpingWaitDepth();

// Marks a dispatching wait on the window thread for pumpingWaitDepth while it lives.
class PumpingWaitScope {
public:
    PumpingWaitScope();
    ~PumpingWaitScope();
    PumpingWaitScope(const PumpingWaitScope&) = delete;
    PumpingWaitScope& operator=(const PumpingWaitScope&) = delete;
};

// Window thread: dispatches what is queued now, without waiting.
void dispatchPendingMessages();

// Window thread: `times` rounds of dispatching what is queued and sleeping 1 ms.
void letWindowThreadRun(int times);

}  // namespace quillmix

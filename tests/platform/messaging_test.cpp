// Window messaging across threads: the properties the stop protocols depend on. The stop
// of a thread blocked in its send is tested on the real notify threads.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <thread>

#include "platform/messaging.h"
#include "support/message_recorder.h"

using namespace quillmix;
using namespace std::chrono_literals;

namespace {

class RecordingWindow : public MessageWindow {
public:
    MessageResult handleMessage(unsigned message, WParam w, LParam l) override {
        lastMessage = message;
        handledOn = std::this_thread::get_id();
        ++count;
        return static_cast<MessageResult>(w) + l;
    }
    unsigned lastMessage = 0;
    std::thread::id handledOn;
    int count = 0;
};

}  // namespace

TEST(EventTest, ManualStaysSetAutoReleasesOneWaitAndNullFailsWithoutEffect) {
    Event manual = Event::create(Event::Reset::manual, false);
    EXPECT_EQ(manual.wait(0ms), WaitResult::timeout);
    manual.set();
    EXPECT_EQ(manual.wait(0ms), WaitResult::signaled);
    EXPECT_EQ(manual.wait(0ms), WaitResult::signaled);
    manual.reset();
    EXPECT_EQ(manual.wait(1ms), WaitResult::timeout);
    Event automatic = Event::create(Event::Reset::automatic, true);
    EXPECT_EQ(automatic.wait(0ms), WaitResult::signaled);
    EXPECT_EQ(automatic.wait(1ms), WaitResult::timeout);
    Event none;
    EXPECT_FALSE(none.set());
    EXPECT_FALSE(none.reset());
    EXPECT_EQ(none.wait(10ms), WaitResult::failed);
    EXPECT_EQ(pumpingWait(none), WaitResult::failed);  // returns at once, never spins forever
}

// The worker's send waits for its answer in a plain wait, which the window thread's set
// ends; on the window thread itself a send is a direct call.
TEST(MessagingThreadTest, WorkerSendIsServedInsidePumpingWait) {
    RecordingWindow window;
    Event workerDone = Event::create(Event::Reset::manual, false);
    MessageResult answer = 0;
    std::thread worker([&] {
        answer = sendMessage(window.handle(), WM_APP + 21, 1, 41);
        workerDone.set();
    });
    EXPECT_EQ(pumpingWait(workerDone), WaitResult::signaled);
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(window.lastMessage, WM_APP + 21);
    EXPECT_EQ(window.handledOn, std::this_thread::get_id());
    EXPECT_EQ(sendMessage(window.handle(), WM_APP + 4, 2, 3), 5);
    EXPECT_EQ(window.count, 2);
}

TEST(MessagingTest, PostIsQueuedAndDroppedWithItsWindow) {
    auto window = std::make_unique<RecordingWindow>();
    WindowHandle h = window->handle();
    EXPECT_TRUE(postMessage(h, WM_APP + 56, 1, 0));
    EXPECT_EQ(window->count, 0);
    dispatchPendingMessages();
    EXPECT_EQ(window->count, 1);

    EXPECT_TRUE(postMessage(h, WM_APP + 57, 1, 0));
    window.reset();             // destroyed with a message still queued
    dispatchPendingMessages();  // must not reach freed memory
    EXPECT_FALSE(isWindow(h));
    EXPECT_FALSE(postMessage(h, WM_APP + 57, 1, 0));
    EXPECT_EQ(sendMessage(h, WM_APP + 57, 1, 0), 0);
}

TEST(MessagingThreadTest, SenderIsReleasedWhenItsWindowIsDestroyed) {
    auto window = std::make_unique<RecordingWindow>();
    WindowHandle h = window->handle();
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        sendMessage(h, WM_APP + 21);
        returned = true;
    });
    while (!returned) {
        // Give the worker time to queue, then destroy the window without dispatching.
        std::this_thread::sleep_for(5ms);
        if (window) window.reset();
    }
    worker.join();
    SUCCEED();
}

TEST(MessagingTest, WindowTimerFiresOnTheWindowThread) {
    struct TimerWindow : RecordingWindow {
        void onTimer(int id) override { fired = id; }
        int fired = -1;
    } window;
    window.setWindowTimer(7, 5);
    test::pumpUntil([&] { return window.fired >= 0; }, 200ms);
    EXPECT_EQ(window.fired, 7);
    window.killWindowTimer(7);
    window.fired = -1;
    letWindowThreadRun(20);
    EXPECT_EQ(window.fired, -1);
}

#pragma once
// A worker thread that runs one measurement job at a time on request and signals its caller
// through an event. The thread is started on the first request, not at construction, and a
// request whose thread cannot be started is refused, so the caller leaves that measurement
// out for the chunk; the next request tries to start it again.
//
// Threads: start() is called from one owning thread (the window thread), one run at a time:
// the owner must see the previous run's done event set before it calls start() again. The
// job runs on the worker thread. Destruction stops the thread and joins it; it must not
// happen while a run is in progress.

#include <atomic>
#include <functional>
#include <thread>

#include "platform/event.h"

namespace quillmix {

class AnalysisWorker {
public:
    using Job = std::function<void(int deck)>;
    // Starts a thread running `body`; throws std::system_error when it cannot (as
    // std::thread does). Tests inject failures through it.
    using Launcher = std::function<std::thread(std::function<void()> body)>;

    static std::thread launchThread(std::function<void()> body);

    AnalysisWorker(Job job, Launcher launcher);
    ~AnalysisWorker();
    AnalysisWorker(const AnalysisWorker&) = delete;
    AnalysisWorker& operator=(const AnalysisWorker&) = delete;

    // Runs the job for `deck` on the worker thread, which sets `done` when it has finished.
    // Returns false, with nothing run and `done` untouched, when the thread cannot start.
    bool start(int deck, const Event& done);

private:
    void loop();

    Job job_;
    Launcher launcher_;
    std::thread thread_;
    Event wake_ = Event::create(Event::Reset::automatic, false);
    std::atomic<bool> stopping_{false};
    // Hand-over values: written by the owner before wake_ is set, read by the worker after.
    int deck_ = 0;
    Event done_;
};

}  // namespace quillmix

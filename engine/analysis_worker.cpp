#include "engine/analysis_worker.h"

#include <system_error>
#include <utility>

namespace quillmix {

std::thread AnalysisWorker::launchThread(std::function<void()> body) { return std::thread(std::move(body)); }

AnalysisWorker::AnalysisWorker(Job job, Launcher launcher)
    : job_(std::move(job)), launcher_(launcher ? std::move(launcher) : Launcher(&AnalysisWorker::launchThread)) {}

AnalysisWorker::~AnalysisWorker() {
    if (!thread_.joinable()) return;
    stopping_.store(true);
    wake_.set();
    thread_.join();
}

bool AnalysisWorker::start(int deck, const Event& done) {
    if (!thread_.joinable()) {
        try {
            thread_ = launcher_([this] { loop(); });
        } catch (const std::system_error&) {
            return false;
        }
        if (!thread_.joinable()) return false;
    }
    deck_ = deck;
    done_ = done;
    wake_.set();  // release: the worker sees deck_ and done_ as written above
    return true;
}

void AnalysisWorker::loop() {
    for (;;) {
        wake_.waitForever();
        if (stopping_.load()) return;
        const Event done = done_;
        job_(deck_);
        done.set();  // release: the owner sees every result the job wrote
    }
}

}  // namespace quillmix

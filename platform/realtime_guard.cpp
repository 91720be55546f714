#include "platform/realtime_guard.h"

#include <cstdio>
#include <cstdlib>

namespace quillmix {

namespace {
thread_local bool inRender = false;
}  // namespace

bool onRealtimeThread() noexcept { return inRender; }

RealtimeScope::RealtimeScope() noexcept : outer_(inRender) { inRender = true; }

RealtimeScope::~RealtimeScope() { inRender = outer_; }

void realtimeNotAllowed(const char* function) noexcept {
#ifndef NDEBUG
    if (inRender) {
        std::fprintf(stderr, "%s called on the audio thread\n", function);
        std::abort();
    }
#else
    (void)function;
#endif
}

}  // namespace quillmix

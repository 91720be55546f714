#pragma once
// Marks the audio thread while it renders, so that code which may block (waiting for the
// audio thread, sleeping, file I/O) can refuse to run there. In debug builds reaching such
// code from a render aborts at once, naming the function; release builds check nothing.

namespace quillmix {

// True on a thread inside a render.
bool onRealtimeThread() noexcept;

// Audio thread: marks the thread for the lifetime of the object.
class RealtimeScope {
public:
    RealtimeScope() noexcept;
    ~RealtimeScope();
    RealtimeScope(const RealtimeScope&) = delete;
    RealtimeScope& operator=(const RealtimeScope&) = delete;

private:
    bool outer_;
};

// Call at the top of anything that must never run on the audio thread.
void realtimeNotAllowed(const char* function) noexcept;

}  // namespace quillmix

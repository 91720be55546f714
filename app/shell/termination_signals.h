#pragma once
// SIGTERM and SIGINT as a request to close: the program ends through its orderly shut-down
// (the recorder's file finalised, settings kept) instead of dying where it stands.
//
// The signal handler only writes a byte to a pipe (async-signal-safe) and puts the
// default disposition back, so a second signal ends a shut-down that hangs. The window
// thread reads the pipe through a socket notifier and calls the close request there.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace quillmix {

class TerminationSignals : public QObject {
public:
    // Window thread, once per process. `requestClose` runs on the window thread, once per
    // signal received while this object lives.
    explicit TerminationSignals(std::function<void()> requestClose);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool installed() const { return notifier_ != nullptr; }

private:
    void drain();

    std::function<void()> requestClose_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quillmix

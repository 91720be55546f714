#pragma once
// The application object: starts the process-wide services and runs the hidden main window
// for the whole life of the program.

namespace quillmix {

class CZanAudioApp {
public:
    // Runs before main: reads the counter frequency and the deck colours, creates the events.
    CZanAudioApp();

    // Runs the whole program; returns false so that the process ends afterwards. The
    // command line is read first, before any window system is touched: --help, --version
    // and usage errors end the run there (see exitCode()).
    bool InitInstance(int& argc, char** argv);
    void ExitInstance();

    // 0 after a normal run or --help/--version; 2 after a command-line error.
    int exitCode() const { return exitCode_; }

    // Closes the events and ends the process at once with exitCode(). Nothing static is
    // destroyed after this; settings were written as they changed.
    [[noreturn]] void Terminate();

private:
    int exitCode_ = 0;
};

}  // namespace quillmix

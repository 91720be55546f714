#pragma once
// The application object: starts the process-wide services and runs the hidden main window
// for the whole life of the program.

namespace quillmix {

class CZanAudioApp {
public:
    // Runs before main: reads the counter frequency and the deck colours, creates the events.
    CZanAudioApp();

    // Runs the whole program; returns false so that the process ends afterwards.
    bool InitInstance(int& argc, char** argv);
    void ExitInstance();

    // Closes the events and ends the process at once with exit code 0. Nothing static is
    // destroyed after this; settings were written as they changed.
    [[noreturn]] void Terminate();
};

}  // namespace quillmix

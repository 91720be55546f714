#include "app/shell/audio_app.h"

#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "app/shared_state.h"
#include "app/shell/app_icon.h"
#include "ui/main_window.h"
#include "app/shell/process_objects.h"
#include "app/shell/termination_signals.h"
#include "sound/sound_system.h"

namespace quillmix {

CZanAudioApp::CZanAudioApp() {
    using Clock = std::chrono::steady_clock;
    performanceFrequency = Clock::period::den / Clock::period::num;
    deckColor[0] = settings.getColor(0);
    deckColor[1] = settings.getColor(1);
    createSharedEvents();
    // The analyser's banks; the equaliser's follow the equaliser panel's band count.
    for (int d = 0; d < kDeckCount; ++d) {
        chartFilterBank[d].Design(3);
        octaveFilterBank[d].Design(10);
        equalizerFilterBank[d].Design(3);
    }
}

bool CZanAudioApp::InitInstance(int& argc, char** argv) {
    QApplication application(argc, argv);  // takes its own options out of argv
    QApplication::setApplicationName("Quillmix");
    QApplication::setOrganizationName("Quillworks");
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends with the main window's close
    QApplication::setWindowIcon(applicationIcon());
    installHeldKeyRecorder(heldKeys);

    commandLineInfo.ParseCommandLine(argc, argv);
    // A termination request closes the main window like the user would, without asking.
    TerminationSignals termination([] { postMessage(mainDialogWindow, WM_CLOSE); });

    SoundSystem soundSystem(SoundSystemOptions::fromEnvironment());
    MixerServices mixer{soundSystem,
                        &settings,
                        {&trackReader[0], &trackReader[1]},
                        {&readForwardRing[0], &readForwardRing[1]},
                        &analysis,
                        {&equalizerFilterBank[0], &equalizerFilterBank[1]}};
    auto mainWindow = std::make_unique<CZanAudioDlg>(
        ShellServices{commandLineInfo, cpuUsageMeter, keyboardInput, mixer, &soundDevices, true});
    mainWindow->DoModal();
    mainWindow.reset();
    return false;
}

void CZanAudioApp::ExitInstance() {}

void CZanAudioApp::Terminate() {
    // The events are left to the process's end: worker threads may still hold them.
    std::fflush(nullptr);
    // Worker threads may still run; they end with the process, not before it.
    std::_Exit(0);
}

}  // namespace quillmix

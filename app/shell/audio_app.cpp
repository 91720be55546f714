#include "app/shell/audio_app.h"

#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "app/quillmix.h"
#include "app/shell/app_icon.h"
#include "app/shell/audio_dialog.h"
#include "app/shell/process_objects.h"

namespace quillmix {

CZanAudioApp::CZanAudioApp() {
    using Clock = std::chrono::steady_clock;
    performanceFrequency = Clock::period::den / Clock::period::num;
    deckColor[0] = settings.getColor(0);
    deckColor[1] = settings.getColor(1);
    createSharedEvents();
}

bool CZanAudioApp::InitInstance(int& argc, char** argv) {
    QApplication application(argc, argv);  // takes its own options out of argv
    QApplication::setApplicationName("Quillmix");
    QApplication::setOrganizationName("Quillworks");
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends with the main window's close
    QApplication::setWindowIcon(applicationIcon());
    installHeldKeyRecorder(heldKeys);

    commandLineInfo.ParseCommandLine(argc, argv);

    auto mainWindow = std::make_unique<CZanAudioDlg>(ShellServices{commandLineInfo, cpuUsageMeter, keyboardInput});
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

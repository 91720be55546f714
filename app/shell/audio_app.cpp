#include "app/shell/audio_app.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/command_line_options.h"
#include "app/shared_state.h"
#include "app/shell/app_icon.h"
#include "app/shell/process_objects.h"
#include "app/shell/termination_signals.h"
#include "sound/sound_system.h"
#include "ui/main_window.h"

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

namespace {

// Prints what --help, --version or a usage error asks for; the exit code that follows.
int answerWithoutRunning(const CommandLineOptions& options) {
    switch (options.action) {
        case CommandLineOptions::Action::help: std::fputs(commandLineHelp().c_str(), stdout); return 0;
        case CommandLineOptions::Action::version: std::printf("%s\n", versionText().c_str()); return 0;
        default: break;
    }
    std::fprintf(stderr, "quillmix: %s\nTry 'quillmix --help' for the options.\n", options.error.c_str());
    return 2;
}

// "recorder", or the recorder's description as the device lists show it.
bool namesRecorder(const std::string& device) {
    return device == kRecorderDeviceName || device == recorderDeviceInfo().description;
}

SoundSystemOptions soundOptionsFor(const CommandLineOptions& options) {
    SoundSystemOptions sound = SoundSystemOptions::fromEnvironment();
    if (namesRecorder(options.device) || !options.recordPath.empty()) sound.forceRecorder = true;
    if (!options.recordPath.empty()) sound.recordWavPath = options.recordPath;
    return sound;
}

// The device texts this run opens instead of the stored ones. --record splits the recorder
// so that its file holds both outputs; --device NAME matches a device's identifier or its
// description. False (with a message) when no device answers to NAME.
bool chooseRunDevices(const CommandLineOptions& options, SoundSystem& sound, ShellServices& shell) {
    const std::string recorder = recorderDeviceInfo().description;
    if (!options.recordPath.empty()) {
        shell.mainDeviceForRun = recorder + " (Front)";
        shell.monitorDeviceForRun = recorder + " (Rear)";
        return true;
    }
    if (options.device.empty()) return true;
    if (namesRecorder(options.device)) {
        shell.mainDeviceForRun = recorder;
        return true;
    }
    const std::vector<SoundDeviceInfo> devices = sound.enumerate();
    for (const SoundDeviceInfo& device : devices) {
        if (device.id != options.device && device.description != options.device) continue;
        shell.mainDeviceForRun = device.description;
        return true;
    }
    std::fprintf(stderr, "quillmix: no sound device named \"%s\"; the devices are:\n", options.device.c_str());
    for (const SoundDeviceInfo& device : devices)
        if (device.id != recorderDeviceInfo().id) std::fprintf(stderr, "  %s\n", device.description.c_str());
    std::fprintf(stderr, "  %s (the built-in recorder)\n", kRecorderDeviceName);
    return false;
}

}  // namespace

bool CZanAudioApp::InitInstance(int& argc, char** argv) {
    std::error_code noFolder;
    const CommandLineOptions options = parseCommandLine(argc, argv, std::filesystem::current_path(noFolder).string());
    if (options.action != CommandLineOptions::Action::run) {
        exitCode_ = answerWithoutRunning(options);
        return false;
    }
    // Qt sees only its own options; the files are ours.
    std::vector<std::string> qtArguments = options.qtArguments;
    std::vector<char*> qtArgv;
    for (std::string& arg : qtArguments) qtArgv.push_back(arg.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArguments.size());
    QApplication application(qtArgc, qtArgv.data());
    QApplication::setApplicationName("Quillmix");
    QApplication::setOrganizationName("Quillworks");
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends with the main window's close
    QApplication::setWindowIcon(applicationIcon());
    installHeldKeyRecorder(heldKeys);

    for (const std::string& file : options.files) commandLineInfo.ParseParam(file, false, false);
    // A termination request closes the main window like the user would, without asking.
    TerminationSignals termination([] { postMessage(mainDialogWindow, WM_CLOSE); });

    SoundSystem soundSystem(soundOptionsFor(options));
    MixerServices mixer{soundSystem,
                        &settings,
                        {&trackReader[0], &trackReader[1]},
                        {&readForwardRing[0], &readForwardRing[1]},
                        &analysis,
                        {&equalizerFilterBank[0], &equalizerFilterBank[1]}};
    ShellServices shell{commandLineInfo, cpuUsageMeter, keyboardInput, mixer, &soundDevices, true};
    shell.deckBTrack = options.deckBFile;
    if (!chooseRunDevices(options, soundSystem, shell)) {
        exitCode_ = 2;
        return false;
    }
    auto mainWindow = std::make_unique<CZanAudioDlg>(shell);
    mainWindow->DoModal();
    mainWindow.reset();
    return false;
}

void CZanAudioApp::ExitInstance() {}

void CZanAudioApp::Terminate() {
    // The events are left to the process's end: worker threads may still hold them.
    std::fflush(nullptr);
    // Worker threads may still run; they end with the process, not before it.
    std::_Exit(exitCode_);
}

}  // namespace quillmix

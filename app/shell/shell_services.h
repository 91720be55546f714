#pragma once
// The process-wide services the main window works with, handed to it by the application
// object (tests hand it their own).

namespace quillmix {

class CZanCommandLineInfo;
class CpuUsageMeter;
class KeyboardReader;

struct ShellServices {
    CZanCommandLineInfo& commandLine;
    CpuUsageMeter& cpuUsageMeter;
    KeyboardReader& keyboardInput;
};

}  // namespace quillmix

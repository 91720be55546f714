#pragma once
// The program's arguments, each a sound file path to load into deck A at start-up.

#include <cstdint>
#include <string>
#include <vector>

namespace quillmix {

class CZanCommandLineInfo {
public:
    // Called once per parameter; every parameter is kept, whatever the flags say.
    void ParseParam(const std::string& parameter, bool isFlag, bool isLast);
    // Fills the list from argv, skipping the program name.
    void ParseCommandLine(int argc, char** argv);

    // The argument at the iteration index, advancing it; done becomes true when the index
    // reaches the end. An empty list gives "" with done true.
    std::string next(bool& done);
    bool hasArguments() const { return hasArguments_ != 0; }

private:
    std::int32_t iterationIndex_ = 0;
    std::vector<std::string> arguments_;
    std::uint8_t hasArguments_ = 0;
};

}  // namespace quillmix

#include "app/command_line_info.h"

namespace quillmix {

void CZanCommandLineInfo::ParseParam(const std::string& parameter, bool /*isFlag*/, bool /*isLast*/) {
    arguments_.push_back(parameter);
    hasArguments_ = 1;
}

void CZanCommandLineInfo::ParseCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) ParseParam(argv[i], argv[i][0] == '-', i == argc - 1);
}

std::string CZanCommandLineInfo::next(bool& done) {
    if (iterationIndex_ >= static_cast<std::int32_t>(arguments_.size())) {
        done = true;
        return {};
    }
    std::string value = arguments_[static_cast<size_t>(iterationIndex_)];
    ++iterationIndex_;
    done = iterationIndex_ >= static_cast<std::int32_t>(arguments_.size());
    return value;
}

}  // namespace quillmix

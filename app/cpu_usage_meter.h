#pragma once
// How busy the processors were between two samples, from the kernel's statistics
// (/proc/stat). The main window samples it every 500 ms.

#include <cstdint>
#include <string>

namespace quillmix {

class CpuUsageMeter {
public:
    explicit CpuUsageMeter(std::string statPath = "/proc/stat") : statPath_(std::move(statPath)) {}

    // Percent busy since the previous sample, plus 0.5 so that the caller's truncation
    // rounds: 100 - (idleDelta / timeDelta x 100) / processors + 0.5. The first sample
    // compares against zero and means little. Any failure gives 0.0 and keeps the previous
    // values.
    double sample();

private:
    struct Snapshot {
        double idleTime = 0;    // idle time of all processors together, in clock ticks
        double systemTime = 0;  // elapsed time, in clock ticks of one processor
        int processors = 0;
    };
    bool read(Snapshot& out) const;

    std::string statPath_;
    double previousIdleTime_ = 0;
    double previousSystemTime_ = 0;
};

}  // namespace quillmix

#include "app/cpu_usage_meter.h"

#include <fstream>
#include <sstream>

namespace quillmix {

// The "cpu" line sums every processor's ticks by state: user nice system idle iowait irq
// softirq steal ... Idle time is idle + iowait. The elapsed time is the sum of all states
// divided by the number of "cpuN" lines, which is the wall time each processor lived through.
bool CpuUsageMeter::read(Snapshot& out) const {
    std::ifstream in(statPath_);
    if (!in) return false;
    std::string line;
    bool haveTotal = false;
    Snapshot s;
    double totalTicks = 0;
    while (std::getline(in, line)) {
        if (line.rfind("cpu", 0) != 0) continue;
        if (line.size() > 3 && line[3] >= '0' && line[3] <= '9') {
            ++s.processors;
            continue;
        }
        std::istringstream fields(line.substr(3));
        double value = 0;
        int index = 0;
        while (fields >> value) {
            totalTicks += value;
            if (index == 3 || index == 4) s.idleTime += value;
            ++index;
        }
        haveTotal = index >= 4;
    }
    if (!haveTotal || s.processors <= 0) return false;
    s.systemTime = totalTicks / s.processors;
    out = s;
    return true;
}

double CpuUsageMeter::sample() {
    Snapshot now;
    if (!read(now)) return 0.0;
    const double idleDelta = now.idleTime - previousIdleTime_;
    const double timeDelta = now.systemTime - previousSystemTime_;
    if (timeDelta <= 0) return 0.0;
    previousIdleTime_ = now.idleTime;
    previousSystemTime_ = now.systemTime;
    return 100.0 - (idleDelta / timeDelta * 100.0) / now.processors + 0.5;
}

}  // namespace quillmix

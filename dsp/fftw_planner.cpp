#include "dsp/fftw_planner.h"

namespace quillmix {

std::mutex& FftwPlannerMutex() {
    // A function-local static so that banks constructed during static initialisation find
    // the mutex already built.
    static std::mutex planner;
    return planner;
}

}  // namespace quillmix

#pragma once
// FFTW's planner keeps process-wide state and is not thread-safe, while executing a finished
// plan is. Every planner call in this program (creating or destroying a plan) holds this
// mutex; plans are made when their owner is constructed, never on a real-time path.

#include <mutex>

namespace quillmix {

std::mutex& FftwPlannerMutex();

}  // namespace quillmix

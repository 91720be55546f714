#include "sources/read_ahead_ring.h"

#include <algorithm>

namespace quillmix {

CZanReadAheadRing::CZanReadAheadRing() : slots_(std::make_unique<Slot[]>(kSlotCount)) {}

void CZanReadAheadRing::resetForProducer() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        slots_[slot].filled.exchange(0, std::memory_order_acq_rel);
        slots_[slot].marker = -1;
        slots_[slot].sourcePath.clear();
    }
    writeIndex_.store(0, std::memory_order_relaxed);
}

int CZanReadAheadRing::countFreeSlots() const {
    int free = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) free += isFilled(slot) ? 0 : 1;
    return free;
}

void CZanReadAheadRing::publish(int slot, const std::string& sourcePath) {
    slots_[slot].sourcePath = sourcePath;
    slots_[slot].filled.exchange(1, std::memory_order_acq_rel);
}

bool CZanReadAheadRing::take(std::int16_t* destination, std::string& path) {
    if (!isFilled(readIndex_)) return false;
    const Slot& slot = slots_[readIndex_];
    std::copy(slot.samples.begin(), slot.samples.end(), destination);
    path = slot.sourcePath;
    release(readIndex_);
    readIndex_ = (readIndex_ + 1) % kSlotCount;
    return true;
}

std::int64_t CZanReadAheadRing::filledByteCount() const {
    return static_cast<std::int64_t>(kSlotCount - countFreeSlots()) * kChunkBytes;
}

std::int64_t CZanReadAheadRing::filledByteCountOf(const std::string& path) const {
    std::int64_t count = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (isFilled(slot) && slots_[slot].sourcePath == path) ++count;
    }
    return count * kChunkBytes;
}

}  // namespace quillmix

#pragma once
// A deck's read-ahead ring: 170 chunks decoded ahead of playback (11.3 s).
//
// One producer (the deck's read-forward thread) writes chunk data, source paths and the
// write index; one consumer (the mixer, on the window thread) reads filled slots and owns
// the read index. The per-slot filled word is the hand-off and is written only with atomic
// exchanges: the producer publishes a slot (release) only after its chunk and path are
// complete, the consumer frees it (release) only after it has copied them. Neither side
// ever touches a slot the other owns, so no lock is needed. The deck's counts, taken on the
// window thread, may be one slot stale.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "dsp/chunk_format.h"

namespace quillmix {

class CZanReadAheadRing {
public:
    static constexpr int kSlotCount = 170;

    CZanReadAheadRing();
    CZanReadAheadRing(const CZanReadAheadRing&) = delete;
    CZanReadAheadRing& operator=(const CZanReadAheadRing&) = delete;

    // ---- Producer (read-forward thread) ----
    // At the start of a read-ahead: every slot free, paths empty, markers -1, writeIndex 0.
    // Only while no consumer takes slots (the mixer resets readIndex when readiness comes).
    void resetForProducer();
    int countFreeSlots() const;  // examines all slots once
    std::int16_t* chunk(int slot) { return slots_[slot].samples.data(); }
    // Publishes a slot whose chunk is complete, with the path it was decoded from.
    void publish(int slot, const std::string& sourcePath);
    int writeIndex() const { return writeIndex_.load(std::memory_order_relaxed); }
    void advanceWriteIndex() { writeIndex_.store((writeIndex() + 1) % kSlotCount, std::memory_order_relaxed); }

    // ---- Consumer (mixer, window thread) ----
    bool isFilled(int slot) const { return slots_[slot].filled.load(std::memory_order_acquire) != 0; }
    const std::int16_t* chunk(int slot) const { return slots_[slot].samples.data(); }
    // The slot's path; valid only while the slot is filled and owned by the consumer.
    const std::string& sourcePath(int slot) const { return slots_[slot].sourcePath; }
    void release(int slot) { slots_[slot].filled.exchange(0, std::memory_order_acq_rel); }
    int readIndex() const { return readIndex_; }
    void setReadIndex(int slot) { readIndex_ = slot; }
    // Takes the chunk at readIndex into `destination` (kChunkSamples) with its path, frees
    // the slot and moves readIndex on. False, touching nothing, when that slot is empty.
    bool take(std::int16_t* destination, std::string& path);
    // A filled slot the consumer has not taken, rewritten by the consumer itself while no
    // producer runs (its chunk through chunk(slot)): the chunk now continues into `path`.
    void relabel(int slot, const std::string& path) { slots_[slot].sourcePath = path; }

    // ---- Counts for the deck (window thread) ----
    std::int64_t filledByteCount() const;
    // Filled bytes whose chunks came from `path` (exact, case-sensitive comparison).
    std::int64_t filledByteCountOf(const std::string& path) const;

    std::int32_t marker(int slot) const { return slots_[slot].marker; }

private:
    struct Slot {
        alignas(64) std::array<std::int16_t, kChunkSamples> samples{};
        std::atomic<std::int32_t> filled{0};
        std::int32_t marker = 0;
        std::string sourcePath;
    };
    std::unique_ptr<Slot[]> slots_;  // 2 MB: on the heap, not in static storage twice over
    std::atomic<std::int32_t> writeIndex_{0};
    std::int32_t readIndex_ = 0;
};

}  // namespace quillmix

#pragma once
// A bounded single-producer, single-consumer queue of trivially copyable items on atomics.
//
// One thread pushes, one other thread pops; neither ever blocks, allocates (after
// construction) or takes a lock, so either side may be a real-time thread. Used for the
// commands the window thread hands to the audio thread and for the sample stream the
// recording device hands to its file writer.
//
// Indices run freely (they are never wrapped, only masked), so full and empty are told
// apart without a spare slot: size = written - read, and both fit in 64 bits for ever.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace quillmix {

template <typename T>
class SpscQueue {
    static_assert(std::is_trivially_copyable_v<T>, "items are copied as plain bytes");

public:
    // capacity is rounded up to a power of two.
    explicit SpscQueue(std::size_t capacity) : mask_(roundUp(capacity) - 1), slots_(new T[mask_ + 1]) {}
    SpscQueue(const SpscQueue&) = delete;
    SpscQueue& operator=(const SpscQueue&) = delete;

    std::size_t capacity() const { return mask_ + 1; }

    // Producer thread. Pushes all `count` items or none; false when there is not room.
    bool push(const T* items, std::size_t count) noexcept {
        // Relaxed: only this thread writes written_, so it reads its own last value.
        const std::uint64_t write = written_.load(std::memory_order_relaxed);
        // Acquire: pairs with the consumer's release of read_, so the slots it has finished
        // copying out are really free before we overwrite them.
        const std::uint64_t read = read_.load(std::memory_order_acquire);
        if (capacity() - (write - read) < count) return false;
        for (std::size_t i = 0; i < count; ++i) slots_[(write + i) & mask_] = items[i];
        // Release: the items copied above become visible before the consumer sees the index.
        written_.store(write + count, std::memory_order_release);
        return true;
    }
    bool push(const T& item) noexcept { return push(&item, 1); }

    // Consumer thread. Pops up to `maxCount` items into `out`; returns how many.
    std::size_t pop(T* out, std::size_t maxCount) noexcept {
        // Relaxed: only this thread writes read_.
        const std::uint64_t read = read_.load(std::memory_order_relaxed);
        // Acquire: pairs with the producer's release of written_, so the items are complete.
        const std::uint64_t write = written_.load(std::memory_order_acquire);
        std::size_t count = static_cast<std::size_t>(write - read);
        if (count > maxCount) count = maxCount;
        for (std::size_t i = 0; i < count; ++i) out[i] = slots_[(read + i) & mask_];
        // Release: our copies out of the slots happen before the producer may reuse them.
        read_.store(read + count, std::memory_order_release);
        return count;
    }
    bool pop(T& item) noexcept { return pop(&item, 1) == 1; }

    // Either thread; exact only when called by one of the two sides while the other is idle.
    std::size_t size() const noexcept {
        return static_cast<std::size_t>(written_.load(std::memory_order_acquire) -
                                        read_.load(std::memory_order_acquire));
    }

private:
    static std::size_t roundUp(std::size_t n) {
        std::size_t p = 1;
        while (p < n) p <<= 1;
        return p;
    }

    const std::size_t mask_;
    std::unique_ptr<T[]> slots_;
    // Apart on their own cache lines so the two threads do not fight over one line.
    alignas(64) std::atomic<std::uint64_t> written_{0};
    alignas(64) std::atomic<std::uint64_t> read_{0};
};

}  // namespace quillmix

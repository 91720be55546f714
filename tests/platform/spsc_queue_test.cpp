// The lock-free queue every thread hand-over in the sound layer goes through.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/spsc_queue.h"

using namespace quillmix;

TEST(SpscQueueTest, KeepsOrderAcrossWrapAndRefusesWhatDoesNotFit) {
    SpscQueue<int> q(6);  // rounds up to 8
    EXPECT_EQ(q.capacity(), 8u);
    int next = 0, expect = 0;
    for (int round = 0; round < 20; ++round) {  // indices run well past the capacity
        int batch[5];
        for (int& v : batch) v = next++;
        ASSERT_TRUE(q.push(batch, 5));
        int out[8];
        ASSERT_EQ(q.pop(out, 3), 3u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(out[i], expect++);
        ASSERT_EQ(q.pop(out, 8), 2u);
        for (int i = 0; i < 2; ++i) EXPECT_EQ(out[i], expect++);
    }
    int full[8] = {};
    ASSERT_TRUE(q.push(full, 7));
    EXPECT_FALSE(q.push(full, 2));  // all or nothing: 1 slot free, 2 asked
    EXPECT_EQ(q.size(), 7u);
    EXPECT_TRUE(q.push(full, 1));
    int item;
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(q.pop(item));
    EXPECT_FALSE(q.pop(item));
}

TEST(SpscQueueThreadTest, DeliversEveryItemInOrderBetweenThreads) {
    SpscQueue<std::uint64_t> q(64);
    constexpr std::uint64_t kItems = 200000;
    std::thread producer([&] {
        std::uint64_t next = 0;
        std::vector<std::uint64_t> batch;
        while (next < kItems) {
            const std::size_t n = 1 + next % 7;  // varying batch sizes
            batch.clear();
            for (std::size_t i = 0; i < n && next + i < kItems; ++i) batch.push_back(next + i);
            while (!q.push(batch.data(), batch.size())) std::this_thread::yield();
            next += batch.size();
        }
    });
    std::uint64_t expect = 0;
    std::uint64_t out[16];
    bool inOrder = true;
    while (expect < kItems) {
        const std::size_t n = q.pop(out, 1 + expect % 16);
        for (std::size_t i = 0; i < n; ++i) inOrder = inOrder && out[i] == expect++;
        if (n == 0) std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(q.size(), 0u);
}

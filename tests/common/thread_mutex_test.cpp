#include "common/thread_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(ThreadMutex, IsRecursiveForItsOwnerAndTryWaitFailsForOthers) {
    ThreadMutex mutex;
    ASSERT_TRUE(mutex.wait());
    ASSERT_TRUE(mutex.tryWait()); // recursive for the holder

    std::atomic<int> otherGot{-1};
    std::thread other([&] {
        bool got = mutex.tryWait();
        otherGot = got ? 1 : 0;
        if (got)
            mutex.release();
    });
    other.join();
    EXPECT_EQ(otherGot, 0);

    mutex.release();
    mutex.release();
    std::thread later([&] {
        bool got = mutex.tryWait();
        otherGot = got ? 1 : 0;
        if (got)
            mutex.release();
    });
    later.join();
    EXPECT_EQ(otherGot, 1);
}

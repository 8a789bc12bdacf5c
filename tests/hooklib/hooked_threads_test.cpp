#include "hooklib/hooked_threads.h"

#include <gtest/gtest.h>

#include <set>

using namespace hookstate;

namespace {

HookedThread hooked(uint32_t id, uint64_t created) {
    HookedThread h;
    h.thread = {id, created};
    h.keyboardHook = reinterpret_cast<void *>(static_cast<uintptr_t>(id * 10 + created));
    return h;
}

} // namespace

// Windows gives the id of a thread that ended to a new one: the new thread is served afresh, and
// the hooks of the ended one are handed back to be removed, as are those of every thread that
// ended meanwhile; living threads keep theirs.
TEST(HookedThreads, AThreadIsKnownByItsIdAndCreationTimeAndTheEndedAreForgotten) {
    HookedThreads table;
    std::set<uint32_t> alive = {7, 8, 9};
    auto isAlive = [&](const ThreadIdentity &t) { return alive.count(t.id) > 0; };
    ASSERT_TRUE(table.add(hooked(7, 100)));
    ASSERT_TRUE(table.add(hooked(8, 100)));
    ASSERT_TRUE(table.add(hooked(9, 100)));
    EXPECT_TRUE(table.serves({7, 100}));

    // Thread 7 ended and its id came back with a later thread; thread 9 ended too.
    alive.erase(9);
    const ThreadIdentity reused = {7, 250};
    EXPECT_FALSE(table.serves(reused));
    std::vector<HookedThread> ended = table.dropEnded(reused, isAlive);
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[0].thread.created, 100u);
    EXPECT_EQ(ended[0].keyboardHook, hooked(7, 100).keyboardHook);
    EXPECT_EQ(ended[1].thread.id, 9u);
    ASSERT_TRUE(table.add(hooked(7, 250)));
    EXPECT_TRUE(table.serves(reused));
    EXPECT_FALSE(table.serves({7, 100}));
    EXPECT_TRUE(table.serves({8, 100}));
    EXPECT_EQ(table.takeAll().size(), 2u);
    EXPECT_EQ(table.size(), 0u);
}

#include "hooklib/tracked_keys.h"

#include <gtest/gtest.h>

using namespace hookstate;

namespace {

const int kShift = 0x10, kControl = 0x11, kMenu = 0x12, kCapital = 0x14;

// The session's count of events and a clock, as the hooks keep them.
struct Session {
    uint32_t events = 0;
    uint32_t tick = 5000;
    TrackedKeys thread;

    void down(int vk, bool extended = false, int scan = 0, bool repeat = false) {
        thread.note(vk, false, repeat, extended, scan, events++, tick);
    }
    void up(int vk, bool extended = false, int scan = 0) { thread.note(vk, true, false, extended, scan, events++, tick); }
    uint8_t state(int vk) const {
        uint8_t keys[256];
        thread.fill(keys);
        return keys[vk];
    }
};

} // namespace

// A batch of keys read by one thread: each key is decided with the modifiers as they were at that
// key, which the record follows without asking the window system again.
TEST(TrackedKeys, FollowTheThreadsOwnKeysAndStopAtAnythingElse) {
    Session s;
    uint8_t start[256] = {};
    start[kCapital] = 1;
    s.thread.resetFrom(start, s.events, s.tick);
    s.down(kShift, false, 0x36); // right Shift
    EXPECT_TRUE(s.thread.follows(s.events, s.tick));
    EXPECT_EQ(s.state(kShift), 0x80);
    EXPECT_EQ(s.state(0xA1), 0x80);
    s.down('A');
    s.up(kShift, false, 0x36);
    EXPECT_EQ(s.state(kShift), 0);
    // AltGr: the left Ctrl the system adds, and the right Alt.
    s.down(kControl);
    s.down(kMenu, true);
    EXPECT_EQ(s.state(kControl), 0x80);
    EXPECT_EQ(s.state(0xA5), 0x80);
    EXPECT_EQ(s.state(0xA4), 0);
    s.up(kMenu, true);
    s.up(kControl);
    EXPECT_EQ(s.state(kMenu), 0);
    // Caps Lock turns at its press, not at its repeats or its release.
    EXPECT_EQ(s.state(kCapital), 1);
    s.down(kCapital);
    s.down(kCapital, false, 0, true);
    s.up(kCapital);
    EXPECT_EQ(s.state(kCapital), 0);
    EXPECT_TRUE(s.thread.follows(s.events, s.tick));

    // A key or click elsewhere, or a long pause: the thread asks again.
    ++s.events;
    EXPECT_FALSE(s.thread.follows(s.events, s.tick));
    s.thread.resetFrom(start, s.events, s.tick);
    EXPECT_TRUE(s.thread.follows(s.events, s.tick + TrackedKeys::kTrustMs - 1));
    EXPECT_FALSE(s.thread.follows(s.events, s.tick + TrackedKeys::kTrustMs));
    // An event noted out of turn leaves the record untrusted until it starts anew.
    s.thread.note(kShift, false, false, false, 0, s.events + 3, s.tick);
    EXPECT_FALSE(s.thread.follows(s.events + 4, s.tick));
}

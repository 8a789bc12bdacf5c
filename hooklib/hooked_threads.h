#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The threads whose keys the helper's library serves, each with the hooks set on it. Windows
// reuses the id of a thread that ended, so a thread is known by its id and its creation time: a
// new thread under an old id is a thread without hooks, and the record of the old one goes.
// Plain data and no Win32, so that the reuse of ids can be played through in tests.
namespace hookstate {

struct ThreadIdentity {
    uint32_t id = 0;
    uint64_t created = 0; // creation time, in the units the system gives it
};

struct HookedThread {
    ThreadIdentity thread;
    void *keyboardHook = nullptr;
    void *mouseHook = nullptr;
};

class HookedThreads {
public:
    // Enough for the threads of every program a user keeps open; the dead make room.
    static const size_t kCapacity = 256;

    // True when this very thread (id and creation time) has its hooks.
    bool serves(const ThreadIdentity &thread) const;
    // Takes out the records of threads that ended, told by their id coming back with another
    // creation time or by the check, and hands them back to have their hooks removed.
    std::vector<HookedThread> dropEnded(const ThreadIdentity &arriving,
                                        const std::function<bool(const ThreadIdentity &)> &isAlive);
    // False when full.
    bool add(const HookedThread &hooked);
    // Every record, for removing the hooks at the end.
    std::vector<HookedThread> takeAll();
    size_t size() const { return threads_.size(); }

private:
    std::vector<HookedThread> threads_;
};

} // namespace hookstate

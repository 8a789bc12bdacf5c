#include "hooklib/hooked_threads.h"

#include <utility>

namespace hookstate {

namespace {

bool same(const ThreadIdentity &a, const ThreadIdentity &b) { return a.id == b.id && a.created == b.created; }

} // namespace

bool HookedThreads::serves(const ThreadIdentity &thread) const {
    for (const HookedThread &hooked : threads_)
        if (same(hooked.thread, thread))
            return true;
    return false;
}

std::vector<HookedThread> HookedThreads::dropEnded(const ThreadIdentity &arriving,
                                                   const std::function<bool(const ThreadIdentity &)> &isAlive) {
    std::vector<HookedThread> ended, kept;
    for (HookedThread &hooked : threads_) {
        const bool reused = hooked.thread.id == arriving.id && hooked.thread.created != arriving.created;
        (reused || !isAlive(hooked.thread) ? ended : kept).push_back(hooked);
    }
    threads_ = std::move(kept);
    return ended;
}

bool HookedThreads::add(const HookedThread &hooked) {
    if (threads_.size() >= kCapacity)
        return false;
    threads_.push_back(hooked);
    return true;
}

std::vector<HookedThread> HookedThreads::takeAll() { return std::exchange(threads_, {}); }

} // namespace hookstate

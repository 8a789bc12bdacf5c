#include "common/failed_saves.h"

#include "common/thread_mutex.h"

#include <algorithm>

namespace {

// The settings are saved on the UI thread (Configurations dialog), everything else at shut-down
// on the worker thread.
ThreadMutex &failuresLock() {
    static ThreadMutex lock;
    return lock;
}

std::vector<std::string> &handedOut() {
    static std::vector<std::string> paths;
    return paths;
}

std::vector<std::string> &waiting() {
    static std::vector<std::string> paths;
    return paths;
}

bool contains(const std::vector<std::string> &paths, const std::string &path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

} // namespace

void noteFailedSave(const std::string &path) {
    ThreadMutexLock hold(failuresLock(), failuresLock().wait());
    if (!contains(handedOut(), path) && !contains(waiting(), path))
        waiting().push_back(path);
}

std::vector<std::string> takeFailedSaves() {
    ThreadMutexLock hold(failuresLock(), failuresLock().wait());
    std::vector<std::string> taken;
    taken.swap(waiting());
    handedOut().insert(handedOut().end(), taken.begin(), taken.end());
    return taken;
}

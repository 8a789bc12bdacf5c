#include "vocabulary/word_store.h"

// The custom word list: the old list is written back to its own file before the new one is read,
// and a list that cannot be read whole is refused without its file being touched.
bool WordStore::loadWordList(const std::string &path) {
    ThreadMutexLock hold(lock_, lock_.wait());
    custom_.reset();
    // An empty path (the dialog's "Clear") reads nothing, not even a stray ".bak".
    if (path.empty())
        return false;
    std::unique_ptr<WordTrie> list(new WordTrie(path.c_str()));
    if (list->loadFailed) {
        list->setPath(nullptr);
        return false;
    }
    custom_ = std::move(list);
    return true;
}

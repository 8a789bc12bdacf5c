#include "vocabulary/word_store.h"

#include "common/plain_file_name.h"

#include <algorithm>

namespace {

const char kBackspace = 8;
const char kLearnedSuffix[] = ".vob";

char lowerLetter(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }
char upperLetter(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }

} // namespace

WordStore::WordStore(const std::string &basePath, int maxSuggestions, int pageSize, const std::string &learnedFolder)
    : typedLength_(0), capitalsMode_(true), selectedIndex_(-1), pageStart_(0), pageEnd_(0),
      maxSuggestions_(maxSuggestions), pageSize_(pageSize), learnedFolder_(learnedFolder) {
    ThreadMutexLock hold(lock_, lock_.wait());
    // Without a file the base vocabulary starts empty; the file is created at shut-down.
    base_.reset(new WordTrie(basePath.c_str()));
    noteIfUnsavable(*base_);
    resetLocked();
}

void WordStore::noteIfUnsavable(const WordTrie &trie) {
    if (!trie.refusesWriteBack())
        return;
    for (const std::string &known : reportedUnsavable_)
        if (known == trie.path())
            return;
    reportedUnsavable_.push_back(trie.path());
    unsavable_.push_back(trie.path());
}

bool WordStore::takeUnsavableFiles(std::vector<std::string> &paths) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return false;
    paths.swap(unsavable_);
    unsavable_.clear();
    return true;
}

// Runs on the worker thread once the UI thread has left its message loop, so no lock is taken.
// Each vocabulary writes its file as it is destroyed: base, custom list, learned ones by key.
WordStore::~WordStore() {
    base_.reset();
    custom_.reset();
    for (auto &entry : learned_)
        entry.second.reset();
}

WordTrie *WordStore::learnedVocabulary(const std::string &programKey) {
    auto found = learned_.find(programKey);
    return found == learned_.end() ? nullptr : found->second.get();
}

// A program's learned words are read from "<programKey>.vob" in the learned folder the first
// time they are needed; a missing file means an empty vocabulary, created at shut-down. The folder
// is named so that nothing depends on the current directory, which a file dialog may move. A
// program name that could reach outside the folder names no file: what is learned there is kept
// for the session only.
WordTrie &WordStore::obtainLearned(const std::string &programKey) {
    std::unique_ptr<WordTrie> &slot = learned_[programKey];
    if (!slot && !isPlainFileName(programKey))
        slot.reset(new WordTrie());
    if (!slot) {
        slot.reset(new WordTrie((learnedFolder_ + programKey + kLearnedSuffix).c_str()));
        noteIfUnsavable(*slot);
    }
    return *slot;
}

bool WordStore::feedCharacter(char ch, const std::string &programKey, bool offerTypedWord) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return false;

    if (ch == kBackspace) {
        if (typedLength_ >= 1) {
            --typedLength_;
            currentWord_.pop_back();
            lowerWord_.pop_back();
        }
        if (typedLength_ <= 0) {
            resetLocked();
            return false;
        }
    } else {
        if (typedLength_ >= kMaxTypedLength)
            resetLocked(); // the new character begins a new word
        char lower = lowerLetter(ch);
        lowerWord_.push_back(lower);
        if (capitalsMode_ && lower == ch)
            capitalsMode_ = false;
        currentWord_.push_back(ch);
        ++typedLength_;
    }

    obtainLearned(programKey).collectPrefix(currentWord_.c_str(), suggestions_, maxSuggestions_, true);
    if (static_cast<int>(suggestions_.size()) < maxSuggestions_) {
        searchCustomAndBase(currentWord_);
        if (static_cast<int>(suggestions_.size()) < maxSuggestions_ && lowerWord_ != currentWord_)
            searchCustomAndBase(lowerWord_);
    }
    if (suggestions_.empty() && offerTypedWord)
        suggestions_.push_back(suggestion{currentWord_, 1});

    pageStart_ = 0;
    pageEnd_ = std::min(pageSize_, static_cast<int>(suggestions_.size()));
    selectedIndex_ = -1;
    return !suggestions_.empty();
}

// Custom and base words compete for the same places by count, then join the learned ones. A word
// of both lists comes twice; room for every such pair keeps the best maxSuggestions words, and the
// merge keeps each word's first, best place.
void WordStore::searchCustomAndBase(const std::string &word) {
    secondary_.clear();
    if (custom_)
        custom_->collectPrefix(word.c_str(), secondary_, maxSuggestions_, true);
    base_->collectPrefix(word.c_str(), secondary_, custom_ ? 2 * maxSuggestions_ : maxSuggestions_, false);
    if (!secondary_.empty())
        mergeSecondary();
}

// Appends the secondary entries that the list does not hold yet, until the list is full.
void WordStore::mergeSecondary() {
    for (const suggestion &entry : secondary_) {
        if (static_cast<int>(suggestions_.size()) >= maxSuggestions_)
            break;
        bool known = false;
        for (std::size_t i = 0; i < suggestions_.size() && !known; ++i)
            known = suggestions_[i].text == entry.text;
        if (!known)
            suggestions_.push_back(entry);
    }
}

bool WordStore::completeSuggestion(int digit, std::string &remainder, const std::string &programKey) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return false;
    int size = static_cast<int>(suggestions_.size());
    int rows = std::min(pageSize_, size);
    if (rows <= 0) {
        resetLocked();
        return false;
    }
    // Digit 1 is the first row of the page, 0 the last of a full page; larger ones wrap round.
    int index = ((rows + digit - 1) % rows + rows) % rows;
    while (index < pageStart_)
        index += rows;
    if (index >= size)
        return false; // the caller resets

    std::string word = suggestions_[index].text;
    base_->bumpWord(word.c_str());
    if (custom_)
        custom_->bumpWord(word.c_str());
    // Every pick is learned; the settings delete the files of programs that may not learn.
    obtainLearned(programKey).addWord(word.c_str(), 1, nullptr);

    remainder = word.size() > static_cast<std::size_t>(typedLength_) ? word.substr(typedLength_) : std::string();
    if (capitalsMode_ && typedLength_ != 1)
        std::transform(remainder.begin(), remainder.end(), remainder.begin(), upperLetter);
    resetLocked();
    return true;
}

void WordStore::learnTypedWord(const std::string &programKey, bool learningAllowed) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired() || typedLength_ < 5)
        return;
    if (learningAllowed)
        obtainLearned(programKey).addWord(currentWord_.c_str(), 1, nullptr);
    base_->bumpWord(currentWord_.c_str());
    if (custom_)
        custom_->bumpWord(currentWord_.c_str());
}

// Count 0 keeps the word out of every listing and out of the files written at shut-down. A
// learned vocabulary that is not in memory is not loaded for this.
void WordStore::deleteSuggestion(int index, const std::string &programKey) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired() || index < 0 || index >= static_cast<int>(suggestions_.size()))
        return;
    std::string word = suggestions_[index].text;
    if (custom_)
        custom_->addWord(word.c_str(), 0, nullptr);
    base_->addWord(word.c_str(), 0, nullptr);
    if (WordTrie *learned = learnedVocabulary(programKey))
        learned->addWord(word.c_str(), 0, nullptr);
    resetLocked();
}

void WordStore::reset() {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (hold.acquired())
        resetLocked();
}

void WordStore::resetLocked() {
    typedLength_ = 0;
    currentWord_.clear();
    lowerWord_.clear();
    pageStart_ = 0;
    pageEnd_ = 0;
    selectedIndex_ = -1;
    capitalsMode_ = true;
    suggestions_.clear();
}

void WordStore::selectNext() {
    int size = static_cast<int>(suggestions_.size());
    if (size == 0)
        return;
    selectedIndex_ = (selectedIndex_ + 1) % size;
    if (selectedIndex_ < pageStart_) { // wrapped round to the first row
        pageStart_ = selectedIndex_;
        pageEnd_ = selectedIndex_ + std::min(pageSize_, size);
    } else if (selectedIndex_ >= pageEnd_) {
        ++pageStart_;
        ++pageEnd_;
    }
}

void WordStore::selectPrevious() {
    int size = static_cast<int>(suggestions_.size());
    if (size == 0)
        return;
    if (selectedIndex_ <= 0)
        selectedIndex_ = size;
    --selectedIndex_;
    if (selectedIndex_ < pageStart_) {
        --pageStart_;
        --pageEnd_;
    } else if (selectedIndex_ >= pageEnd_) { // wrapped round to the last row
        pageEnd_ = selectedIndex_ + 1;
        pageStart_ = pageEnd_ - std::min(pageSize_, size);
    }
}

void WordStore::forgetProgram(const std::string &programKey) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return;
    auto found = learned_.find(programKey);
    if (found == learned_.end() || !found->second)
        return;
    found->second->setPath(nullptr); // dropped unwritten; a later keystroke reads the file again
    found->second.reset();
}

#include "vocabulary/word_store.h"

#include "common/ascii_case.h"
#include "common/letter_case.h"
#include "common/plain_file_name.h"

#include <algorithm>
#include <cmath>

namespace {

const char kBackspace = 8;
const char kLearnedSuffix[] = ".vob";
const char kPairsSuffix[] = ".pairs";

// How ranking after a previous word mixes its sources. A learned pair counts as much as the
// shipped model once the previous word was followed kModelWeight times in the program; a word of
// the program's own vocabulary is taken as likely as a word of count kLearnedOwnCount on its own.
// Tuned on texts other than those bench_keystroke_savings reports (vocabulary/data/README-source.md).
const double kModelWeight = 2.0;
const int32_t kLearnedOwnCount = 1000;
// Corrections are drawn from each vocabulary by count for the free rows and this many more, among
// which the context then chooses.
const int kSpareCorrections = 5;

bool startsWith(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

WordStore::WordStore(const std::string &basePath, int maxSuggestions, int pageSize, const std::string &learnedFolder)
    : typedLength_(0), capitalsMode_(true), selectedIndex_(-1), pageStart_(0), pageEnd_(0), correctionsFrom_(0),
      wholeCorrectionListed_(false), maxSuggestions_(maxSuggestions), pageSize_(pageSize),
      learnedFolder_(learnedFolder) {
    ThreadMutexLock hold(lock_, lock_.wait());
    // Without a file the base vocabulary starts empty; the file is created at shut-down.
    base_.reset(new WordTrie(basePath.c_str()));
    noteIfUnsavable(base_->refusesWriteBack(), base_->path());
    resetLocked();
}

void WordStore::noteIfUnsavable(bool refuses, const std::string &path) {
    if (!refuses)
        return;
    for (const std::string &known : reportedUnsavable_)
        if (known == path)
            return;
    reportedUnsavable_.push_back(path);
    unsavable_.push_back(path);
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
    std::vector<suggestion> any;
    for (auto &entry : learned_) {
        // A program that never learned a word gets no file.
        if (entry.second && entry.second->loadFailed) {
            entry.second->collectPrefix("", any, 1, true);
            if (any.empty())
                entry.second->setPath(nullptr);
        }
        entry.second.reset();
    }
    for (auto &entry : pairs_)
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
        noteIfUnsavable(slot->refusesWriteBack(), slot->path());
    }
    return *slot;
}

LearnedPairs *WordStore::learnedPairs(const std::string &programKey) {
    auto found = pairs_.find(programKey);
    return found == pairs_.end() ? nullptr : found->second.get();
}

// The pairs learned in a program lie beside its learned vocabulary and come and go with it.
LearnedPairs &WordStore::obtainPairs(const std::string &programKey) {
    std::unique_ptr<LearnedPairs> &slot = pairs_[programKey];
    if (!slot) {
        slot.reset(new LearnedPairs(learnedFolder_ + programKey + kPairsSuffix));
        noteIfUnsavable(slot->refusesWriteBack(), slot->path());
    }
    return *slot;
}

bool WordStore::loadPairModel(const std::string &path) {
    ThreadMutexLock hold(lock_, lock_.wait());
    bool loaded = pairModel_.load(path);
    for (auto &entry : contexts_)
        entry.second.modelWord = pairModel_.find(entry.second.previous);
    return loaded;
}

void WordStore::noteFinishedWord(const std::string &programKey, const std::string &word) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (hold.acquired())
        finishWordLocked(programKey, word, false);
}

// The word becomes the program's context; with learnPair, the pair it makes with the word
// before is learned in the program.
void WordStore::finishWordLocked(const std::string &programKey, const std::string &word, bool learnPair) {
    if (word.empty())
        return;
    Context &context = contexts_[programKey];
    if (learnPair && !context.previous.empty() && static_cast<int>(word.size()) >= kShortestPairWord)
        obtainPairs(programKey).add(context.previous, word);
    context.previous = loweredAscii(word);
    context.modelWord = pairModel_.find(context.previous);
    context.placed = false;
}

void WordStore::placeContext(const std::string &programKey, long long place) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return;
    auto found = contexts_.find(programKey);
    if (found == contexts_.end())
        return;
    Context &context = found->second;
    if (!context.placed) {
        context.placed = true;
        context.place = place;
    } else if (context.place != place) {
        contexts_.erase(found);
    }
}

void WordStore::dropContext(const std::string &programKey) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (hold.acquired())
        contexts_.erase(programKey);
}

// The count with which word would be listed for the typed letters today, or 0 when it would not
// be: the learned vocabulary is searched as typed, the custom and base ones also in lower case.
int32_t WordStore::suggestibleCount(const std::string &word, WordTrie &learned) {
    int32_t best = 0;
    bool asTyped = startsWith(word, currentWord_);
    if (!asTyped && !startsWith(word, lowerWord_))
        return 0;
    if (asTyped && learned.countOf(word.c_str()) >= 1)
        best = kLearnedOwnCount;
    if (custom_)
        best = std::max(best, custom_->countOf(word.c_str()));
    return std::max(best, base_->countOf(word.c_str()));
}

// The count a correction is ranked by: as a listed word's, whatever the typed letters.
int32_t WordStore::ownCount(const std::string &word, WordTrie &learned) {
    int32_t best = learned.countOf(word.c_str()) >= 1 ? kLearnedOwnCount : 0;
    if (custom_)
        best = std::max(best, custom_->countOf(word.c_str()));
    return std::max(best, base_->countOf(word.c_str()));
}

bool WordStore::knownWord(const std::string &word, WordTrie &learned) {
    if (learned.countOf(word.c_str()) >= 1)
        return true;
    const std::string lower = loweredAscii(word);
    for (WordTrie *vocabulary : {custom_.get(), base_.get()})
        if (vocabulary && (vocabulary->countOf(word.c_str()) >= 1 || vocabulary->countOf(lower.c_str()) >= 1))
            return true;
    return false;
}

struct WordStore::Likelihood {
    int modelWord = -1;
    const LearnedPairs::Followers *learnedFollowers = nullptr;
    int64_t followed = 0; // how often the previous word was followed in the program
    double backoff = 0.0;
};

bool WordStore::likelihoodOf(const std::string &programKey, Likelihood &out) {
    auto found = contexts_.find(programKey);
    if (found == contexts_.end() || found->second.previous.empty())
        return false;
    out.modelWord = found->second.modelWord;
    out.learnedFollowers = obtainPairs(programKey).followersOf(found->second.previous);
    if (!out.learnedFollowers && out.modelWord < 0)
        return false;
    out.followed = 0;
    if (out.learnedFollowers)
        for (const auto &follower : *out.learnedFollowers)
            out.followed += follower.second;
    out.backoff = out.modelWord >= 0 ? pairModel_.backoffLog10(out.modelWord) : 0.0;
    return true;
}

namespace {

// A pair's own probability, or else the share the previous word leaves to words without a pair
// times the word's own probability; learned pairs are mixed in by how often the previous word was
// followed.
double scoreAfter(const PairModel &pairModel, int64_t followed, double backoff, double modelProbability,
                  int32_t learnedCount, int32_t ownCount) {
    double model =
        modelProbability >= 0.0 ? modelProbability : std::pow(10.0, backoff + pairModel.ownLog10(ownCount));
    double learnedShare = followed > 0 ? static_cast<double>(learnedCount) / followed : 0.0;
    return (followed * learnedShare + kModelWeight * model) / (followed + kModelWeight);
}

} // namespace

// Ranks the listed words, and the words that the program's context expects and that would be
// listed for these letters, by how likely each is after the previous word.
void WordStore::rankByContext(const std::string &programKey) {
    Likelihood likelihood;
    if (!likelihoodOf(programKey, likelihood))
        return;
    WordTrie &learned = obtainLearned(programKey);

    struct Candidate {
        suggestion entry;
        double modelProbability = -1.0; // -1: no pair in the model
        int32_t learnedCount = 0;
        int32_t ownCount = 0;
        double score = 0.0;
    };
    std::vector<Candidate> candidates;
    candidates.reserve(suggestions_.size() + 16);
    auto indexOf = [&candidates](const char *text) {
        for (std::size_t i = 0; i < candidates.size(); ++i)
            if (candidates[i].entry.text == text)
                return static_cast<int>(i);
        return -1;
    };
    for (const suggestion &listed : suggestions_) {
        Candidate candidate;
        candidate.entry = listed;
        candidate.ownCount = suggestibleCount(listed.text, learned);
        if (candidate.ownCount < 1)
            candidate.ownCount = listed.count;
        candidates.push_back(candidate);
    }
    auto offer = [&](const char *text) {
        int at = indexOf(text);
        if (at >= 0)
            return at;
        int32_t count = suggestibleCount(text, learned);
        if (count < 1)
            return -1;
        Candidate candidate;
        candidate.entry = suggestion{text, count};
        candidate.ownCount = count;
        candidates.push_back(candidate);
        return static_cast<int>(candidates.size()) - 1;
    };
    pairModel_.forEachFollower(likelihood.modelWord, lowerWord_, [&](const char *text, double log10Probability) {
        int at = offer(text);
        if (at >= 0)
            candidates[at].modelProbability = std::pow(10.0, log10Probability);
    });
    if (likelihood.learnedFollowers) {
        for (const auto &follower : *likelihood.learnedFollowers) {
            int at = offer(follower.first.c_str());
            if (at >= 0)
                candidates[at].learnedCount = follower.second;
        }
    }

    for (Candidate &candidate : candidates)
        candidate.score = scoreAfter(pairModel_, likelihood.followed, likelihood.backoff, candidate.modelProbability,
                                     candidate.learnedCount, candidate.ownCount);
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.score > b.score; });
    if (static_cast<int>(candidates.size()) > maxSuggestions_)
        candidates.resize(maxSuggestions_);
    suggestions_.clear();
    for (Candidate &candidate : candidates)
        suggestions_.push_back(std::move(candidate.entry));
}

// Fills the free rows of the first page with the words the typed letters probably meant, from
// every vocabulary, each scored like a listed word (by context, else by count) times the weight
// of its spelling.
void WordStore::addCorrections(const std::string &programKey) {
    const int room = pageSize_ - static_cast<int>(suggestions_.size());
    if (room <= 0 || correctionSteps(typedLength_) <= 0)
        return;
    WordTrie &learned = obtainLearned(programKey);
    struct Candidate {
        std::string text;
        double weight;
        bool whole;
        int32_t ownCount = 0;
        double score = 0.0;
    };
    std::vector<Candidate> candidates;
    for (WordTrie *vocabulary : {&learned, custom_.get(), base_.get()}) {
        if (!vocabulary)
            continue;
        corrector_.find(*vocabulary, lowerWord_, std::min(maxSuggestions_, room + kSpareCorrections), found_);
        for (Correction &found : found_) {
            auto same = [&found](const Candidate &c) { return c.text == found.text; };
            auto known = std::find_if(candidates.begin(), candidates.end(), same);
            if (known != candidates.end()) {
                known->weight = std::max(known->weight, found.weight);
                known->whole = known->whole || found.whole;
            } else if (std::none_of(suggestions_.begin(), suggestions_.end(),
                                    [&found](const suggestion &listed) { return listed.text == found.text; })) {
                candidates.push_back(Candidate{std::move(found.text), found.weight, found.whole});
            }
        }
    }
    if (candidates.empty())
        return;
    Likelihood likelihood;
    const bool context = likelihoodOf(programKey, likelihood);
    for (Candidate &candidate : candidates) {
        candidate.ownCount = ownCount(candidate.text, learned);
        if (candidate.ownCount < 1)
            continue; // a word of the learned vocabulary's own count only
        double likely = candidate.ownCount;
        if (context) {
            double modelProbability = -1.0;
            pairModel_.forEachFollower(likelihood.modelWord, loweredAscii(candidate.text),
                                       [&](const char *text, double log10Probability) {
                                           if (modelProbability < 0.0 && candidate.text == text)
                                               modelProbability = std::pow(10.0, log10Probability);
                                       });
            int32_t learnedCount = 0;
            if (likelihood.learnedFollowers) {
                auto pair = likelihood.learnedFollowers->find(candidate.text);
                if (pair != likelihood.learnedFollowers->end())
                    learnedCount = pair->second;
            }
            likely = scoreAfter(pairModel_, likelihood.followed, likelihood.backoff, modelProbability, learnedCount,
                                candidate.ownCount);
        }
        candidate.score = likely * candidate.weight;
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        return a.score != b.score ? a.score > b.score : a.text < b.text;
    });
    for (int i = 0; i < room && i < static_cast<int>(candidates.size()) && candidates[i].ownCount >= 1; ++i) {
        suggestions_.push_back(suggestion{candidates[i].text, candidates[i].ownCount});
        wholeCorrectionListed_ = wholeCorrectionListed_ || candidates[i].whole;
    }
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
    rankByContext(programKey);
    correctionsFrom_ = static_cast<int>(suggestions_.size());
    wholeCorrectionListed_ = false;
    addCorrections(programKey);
    if (suggestions_.empty() && offerTypedWord) {
        suggestions_.push_back(suggestion{currentWord_, 1});
        correctionsFrom_ = 1;
    }

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

// The suggestion a digit names on the shown page, or -1: digit 1 is the first row of the page, 0
// the last of a full page; larger ones wrap round.
int WordStore::pickIndexLocked(int digit) const {
    const int size = static_cast<int>(suggestions_.size());
    const int rows = std::min(pageSize_, size);
    if (rows <= 0)
        return -1;
    int index = ((rows + digit - 1) % rows + rows) % rows;
    while (index < pageStart_)
        index += rows;
    return index < size ? index : -1;
}

bool WordStore::canComplete(int digit) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    return hold.acquired() && pickIndexLocked(digit) >= 0;
}

bool WordStore::completeSuggestion(int digit, std::string &remainder, int &erase, const std::string &programKey,
                                   bool learningAllowed) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return false;
    if (suggestions_.empty()) {
        resetLocked();
        return false;
    }
    const int index = pickIndexLocked(digit);
    if (index < 0)
        return false; // the caller resets

    std::string word = suggestions_[index].text;
    base_->bumpWord(word.c_str());
    if (custom_)
        custom_->bumpWord(word.c_str());
    // A program that may not learn keeps nothing, not even its picks or the pair a pick makes with
    // the word before: its learned files may hold the words of another program of the same name,
    // and are written back as they were read.
    if (learningAllowed)
        obtainLearned(programKey).addWord(word.c_str(), 1, nullptr);
    finishWordLocked(programKey, word, learningAllowed);

    if (isCorrection(index)) {
        // The typed letters spell another word: they are replaced whole.
        erase = typedLength_;
        remainder = correctionAsTyped(word);
    } else {
        erase = 0;
        remainder = word.size() > static_cast<std::size_t>(typedLength_) ? word.substr(typedLength_) : std::string();
        if (capitalsMode_ && typedLength_ != 1)
            std::transform(remainder.begin(), remainder.end(), remainder.begin(), upperLetter);
    }
    resetLocked();
    return true;
}

std::string WordStore::correctionAsTyped(const std::string &word) const {
    std::string typed = word;
    if (capitalsMode_ && typedLength_ != 1)
        std::transform(typed.begin(), typed.end(), typed.begin(), upperLetter);
    else if (!typed.empty() && !currentWord_.empty() && lowerLetter(currentWord_[0]) != currentWord_[0])
        typed[0] = upperLetter(typed[0]);
    return typed;
}

void WordStore::learnTypedWord(const std::string &programKey, bool learningAllowed) {
    ThreadMutexLock hold(lock_, lock_.tryWait());
    if (!hold.acquired())
        return;
    // A misspelling finished by hand while the list offered the word meant.
    const bool misspelled = wholeCorrectionListed_ && typedLength_ > 0 &&
                            !knownWord(currentWord_, obtainLearned(programKey));
    finishWordLocked(programKey, currentWord_, learningAllowed && !misspelled);
    if (typedLength_ < 5 || misspelled)
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
    if (LearnedPairs *pairs = learnedPairs(programKey))
        pairs->forgetWord(word);
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
    correctionsFrom_ = 0;
    wholeCorrectionListed_ = false;
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
    contexts_.erase(programKey);
    auto pairs = pairs_.find(programKey);
    if (pairs != pairs_.end() && pairs->second) {
        pairs->second->setPath(std::string());
        pairs->second.reset();
    }
    auto found = learned_.find(programKey);
    if (found == learned_.end() || !found->second)
        return;
    found->second->setPath(nullptr); // dropped unwritten; a later keystroke reads the file again
    found->second.reset();
}

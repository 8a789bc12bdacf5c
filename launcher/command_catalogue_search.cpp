// Matching, display rows and launching of the command catalogue (user-interface thread).
#include "launcher/command_catalogue.h"

#include "launcher/command_items.h"
#include "vocabulary/word_trie.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <utility>

namespace {

const size_t kQueryWordMinLength = 1; // unlike indexing, a query word of one letter is used

bool startsWithNoCase(const std::string &text, const char *prefix) {
    size_t length = std::strlen(prefix);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char ch = text[i];
        if (ch >= 'A' && ch <= 'Z')
            ch = char(ch - 'A' + 'a');
        if (ch != prefix[i])
            return false;
    }
    return true;
}

} // namespace

bool CommandCatalogue::search(char *query) {
    std::string text = query;
    bool found = search(text);
    std::memcpy(query, text.data(), text.size()); // lowering keeps the length
    return found;
}

// The distinct items of one query word's tokens. The item lists are the index's copies; the views
// point into them (moving a list keeps its strings where they are).
namespace {

// A set of views with open addressing: a heavy token's thousands of items are entered without
// a node allocation each, which is most of what a keystroke costs on a large catalogue.
class ViewSet {
public:
    bool insert(std::string_view view) {
        if ((count_ + 1) * 2 > slots_.size())
            grow();
        size_t at = find(view);
        if (used_[at])
            return false;
        slots_[at] = view;
        used_[at] = true;
        ++count_;
        return true;
    }
    bool contains(std::string_view view) const { return !slots_.empty() && used_[find(view)]; }

private:
    size_t find(std::string_view view) const {
        size_t mask = slots_.size() - 1;
        size_t at = std::hash<std::string_view>()(view) & mask;
        while (used_[at] && slots_[at] != view)
            at = (at + 1) & mask;
        return at;
    }
    void grow() {
        std::vector<std::string_view> oldSlots(slots_.empty() ? 64 : slots_.size() * 2);
        std::vector<bool> oldUsed(oldSlots.size(), false);
        oldSlots.swap(slots_);
        oldUsed.swap(used_);
        count_ = 0;
        for (size_t i = 0; i < oldSlots.size(); ++i)
            if (oldUsed[i])
                insert(oldSlots[i]);
    }

    std::vector<std::string_view> slots_; // a power of two in size, at most half full
    std::vector<bool> used_;
    size_t count_ = 0;
};

} // namespace

struct CommandCatalogue::Gathered {
    std::vector<ItemList> lists;
    std::vector<std::string_view> distinct; // in the order first met
    ViewSet members;
};

namespace {

struct RankedItem {
    int32_t count;
    std::string_view item;
};

// Highest use count first, ascending byte order among equal counts (items are distinct, so the
// order is total and the same as a stable sort of the byte-ordered set by count).
bool ranksBefore(const RankedItem &a, const RankedItem &b) {
    return a.count != b.count ? a.count > b.count : a.item < b.item;
}

// The ranked items, put in order only as far as they are read: a one-letter word can match
// thousands of items of which the list shows 25.
class RankedStream {
public:
    explicit RankedStream(std::vector<RankedItem> items) : items_(std::move(items)) {}
    bool at(size_t index, std::string_view &item) {
        if (index >= items_.size())
            return false;
        while (index >= ready_) {
            size_t end = std::min(items_.size(), ready_ + std::max<size_t>(64, ready_));
            if (end < items_.size())
                std::nth_element(items_.begin() + ready_, items_.begin() + end, items_.end(), ranksBefore);
            std::sort(items_.begin() + ready_, items_.begin() + end, ranksBefore);
            ready_ = end;
        }
        item = items_[index].item;
        return true;
    }
    size_t size() const { return items_.size(); }

private:
    std::vector<RankedItem> items_;
    size_t ready_ = 0;
};

} // namespace

bool CommandCatalogue::gatherItems(const std::string &word, Gathered &gathered) {
    std::vector<suggestion> tokens;
    tokenIndex->collectPrefix(word.c_str(), tokens, 2 * resultLimit, true);
    // Lightest tokens first, so the rare words are gathered whole before the limit cuts in.
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) {
        ItemList items;
        if (tokenIndex->findItems(token->text.c_str(), items)) {
            gathered.lists.push_back(std::move(items));
            for (const std::string &item : gathered.lists.back())
                if (gathered.members.insert(item))
                    gathered.distinct.push_back(item);
        }
        if (gathered.distinct.size() > size_t(kItemGatherLimit))
            break;
    }
    return !gathered.distinct.empty();
}

int32_t CommandCatalogue::rankingCount(std::string_view item) const {
    size_t tabs = item.find("\t\t");
    auto counted = countedTargets_.find(tabs == std::string_view::npos ? item : item.substr(0, tabs));
    return counted == countedTargets_.end() ? 0 : *counted->second;
}

bool CommandCatalogue::search(std::string &query) {
    results.clear();
    if (query.empty())
        return false;
    lowerAscii(query);
    std::vector<std::string> words = splitWords(query, kQueryWordMinLength);
    if (words.empty())
        return true;

    // The lock is tried once per word, never waited for; each word's items are copies, so they
    // stay usable after it is let go.
    Gathered first;
    std::vector<RankedItem> ranked;
    {
        ThreadMutexLock held(lock, lock.tryWait());
        if (!held.acquired())
            return false;
        applyDeferredUses();
        if (!gatherItems(words[0], first))
            return false;
        ranked.reserve(first.distinct.size());
        for (std::string_view item : first.distinct)
            ranked.push_back({rankingCount(item), item});
    }
    std::vector<Gathered> others(words.size() - 1);
    for (size_t w = 1; w < words.size(); ++w) {
        ThreadMutexLock held(lock, lock.tryWait());
        if (!held.acquired() || !gatherItems(words[w], others[w - 1]))
            return false;
    }

    // Walk the first word's items in rank order, keep those every other word also matched, and
    // one per launch key: the first of a program's files and shortcuts wins.
    RankedStream stream(std::move(ranked));
    std::unordered_set<std::string> keys;
    bool matchedAll = false;
    std::string_view item;
    for (size_t i = 0; int32_t(results.size()) < resultLimit && stream.at(i, item); ++i) {
        bool inAll = true;
        for (const Gathered &other : others)
            inAll = inAll && other.members.contains(item);
        if (!inAll)
            continue;
        matchedAll = true;
        std::string text(item);
        if (keys.insert(::launchKey(text)).second)
            results.push_back(std::move(text));
    }
    return matchedAll;
}

bool CommandCatalogue::matchToken(const std::string &word, std::vector<std::string> &items) {
    items.clear();
    if (word.empty())
        return false;
    // Never wait for the harvest: while it adds a source the search simply finds nothing.
    ThreadMutexLock held(lock, lock.tryWait());
    if (!held.acquired())
        return false;
    applyDeferredUses();
    Gathered gathered;
    if (!gatherItems(word, gathered))
        return false;
    // Each item's count is looked up once rather than at every comparison.
    std::vector<RankedItem> ranked;
    ranked.reserve(gathered.distinct.size());
    for (std::string_view item : gathered.distinct)
        ranked.push_back({rankingCount(item), item});
    std::sort(ranked.begin(), ranked.end(), ranksBefore);
    items.reserve(ranked.size());
    for (const RankedItem &entry : ranked)
        items.emplace_back(entry.item);
    return true;
}

std::string CommandCatalogue::launchKey(const std::string &item) { return ::launchKey(item); }

bool CommandCatalogue::buildDisplayList(std::vector<std::string> &rows, std::vector<std::string> &targets) const {
    rows.clear();
    targets.clear();
    for (const WebSearchEntry &entry : webSearches) {
        rows.push_back(entry.label);
        targets.push_back(entry.urlPrefix);
    }
    for (const std::string &item : results) {
        DisplayRow row = displayRowForItem(item);
        rows.push_back(std::move(row.text));
        targets.push_back(std::move(row.target));
    }
    return !rows.empty();
}

bool CommandCatalogue::resolveChoice(int32_t row, const std::string &query, std::string &target) {
    const int64_t searchRows = int64_t(webSearches.size());
    if (row < 0 || int64_t(row) >= searchRows + int64_t(results.size()))
        return false;
    if (row < searchRows) {
        target = webSearchAddress(webSearches[size_t(row)].urlPrefix, query);
        return true;
    }
    target = itemTarget(results[size_t(row - searchRows)]);
    // The launch is counted now if the harvest lets go of the lock at once, otherwise at the next
    // search; the user-interface thread does not wait for a whole source to be harvested.
    ThreadMutexLock held(lock, lock.tryWait());
    if (held.acquired()) {
        applyDeferredUses();
        noteUseLocked(target, true);
    } else {
        deferredUses_.push_back(target);
    }
    return true;
}

bool CommandCatalogue::launch(int32_t row, const std::string &query) {
    std::string target;
    if (startsWithNoCase(query, "http://") || startsWithNoCase(query, "https://"))
        target = query; // an address typed whole opens as typed, whatever row is chosen
    else if (!resolveChoice(row, query, target))
        return false;
    if (!platform_.shellOpen)
        return false;
    ShellOpenRequest request;
    request.file = target;
    platform_.shellOpen(request);
    return true;
}

// Matching, display rows and launching of the command catalogue (user-interface thread).
#include "launcher/command_catalogue.h"

#include "launcher/command_items.h"

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

// The distinct items of one query word, as numbers of the item table, with how each was matched.
struct CommandCatalogue::Gathered {
    std::vector<CatalogueItemTable::Id> distinct; // in the order first met
    std::vector<uint8_t> kind;                    // by item number: a MatchKind
};

namespace {

// How a query word matched an item, from the best to the worst; an item matched by several
// words ranks by its worst.
enum MatchKind : uint8_t { kNoMatch = 0, kWordPrefix = 1, kInitials = 2, kOneSlip = 3 };

struct RankedItem {
    bool learned;
    bool slip;
    int32_t count;
    bool initials;
    std::string_view item;
    CatalogueItemTable::Id id;
};

// The item launched from this query first; then exact matches before those that needed a typing
// slip forgiven; then highest use count first; word prefixes before initials; ascending byte
// order (items are distinct, so the order is total).
bool ranksBefore(const RankedItem &a, const RankedItem &b) {
    if (a.learned != b.learned)
        return a.learned;
    if (a.slip != b.slip)
        return b.slip;
    if (a.count != b.count)
        return a.count > b.count;
    if (a.initials != b.initials)
        return b.initials;
    return a.item < b.item;
}

// The ranked items, put in order only as far as they are read: a one-letter word can match
// thousands of items of which the list shows 25.
class RankedStream {
public:
    explicit RankedStream(std::vector<RankedItem> items) : items_(std::move(items)) {}
    const RankedItem *at(size_t index) {
        if (index >= items_.size())
            return nullptr;
        while (index >= ready_) {
            size_t end = std::min(items_.size(), ready_ + std::max<size_t>(64, ready_));
            if (end < items_.size())
                std::nth_element(items_.begin() + ready_, items_.begin() + end, items_.end(), ranksBefore);
            std::sort(items_.begin() + ready_, items_.begin() + end, ranksBefore);
            ready_ = end;
        }
        return &items_[index];
    }

private:
    std::vector<RankedItem> items_;
    size_t ready_ = 0;
};

} // namespace

bool CommandCatalogue::gatherItems(const std::string &word, Gathered &gathered) {
    gathered.kind.assign(itemTable_.size(), kNoMatch);
    std::vector<uint32_t> tokens;
    tokens_.heaviestWithPrefix(word, size_t(2 * resultLimit), tokens);
    MatchKind tokenKind = kWordPrefix;
    if (tokens.empty() && word.size() >= kMinSlipLength) {
        tokens_.heaviestWithinOneEdit(word, size_t(2 * resultLimit), tokens);
        tokenKind = kOneSlip;
    }
    // Lightest tokens first, so the rare words are gathered whole before the limit cuts in.
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) {
        tokens_.forEachItem(*token, [&gathered, tokenKind](CatalogueItemTable::Id id) {
            if (gathered.kind[id] == kNoMatch) {
                gathered.kind[id] = tokenKind;
                gathered.distinct.push_back(id);
            }
        });
        if (gathered.distinct.size() > size_t(kItemGatherLimit))
            break;
    }
    std::vector<CatalogueItemTable::Id> items;
    itemTable_.withInitials(word, size_t(kItemGatherLimit), items);
    for (CatalogueItemTable::Id id : items) {
        if (gathered.kind[id] == kNoMatch)
            gathered.distinct.push_back(id);
        if (gathered.kind[id] == kNoMatch || gathered.kind[id] == kOneSlip)
            gathered.kind[id] = kInitials;
    }
    return !gathered.distinct.empty();
}

// The item last launched from the query, or from the longest remembered query that it begins,
// when every word matched it; kNone otherwise.
CatalogueItemTable::Id CommandCatalogue::learnedItem(const std::string &query, const Gathered &narrowest) const {
    if (rememberedItems_.empty())
        return CatalogueItemTable::kNone;
    for (const std::string &key : queryMemory_.launchesFor(QueryMemory::normalQuery(query))) {
        auto remembered = rememberedItems_.find(key);
        if (remembered == rememberedItems_.end())
            continue;
        for (CatalogueItemTable::Id id = remembered->second; id != CatalogueItemTable::kNone;
             id = itemTable_.nextOfTarget(id))
            if (narrowest.kind[id] != kNoMatch)
                return id;
    }
    return CatalogueItemTable::kNone;
}

bool CommandCatalogue::search(std::string &query) {
    results.clear();
    if (query.empty())
        return false;
    lowerAscii(query);
    std::vector<std::string> words = splitWords(query, kQueryWordMinLength);
    if (words.empty())
        return true;

    // Tried once, never waited for: while the harvest adds a source the search finds nothing.
    ThreadMutexLock held(lock, lock.tryWait());
    if (!held.acquired())
        return false;
    applyDeferredUses();
    settle();
    std::vector<Gathered> gathered(words.size());
    for (size_t w = 0; w < words.size(); ++w)
        if (!gatherItems(words[w], gathered[w]))
            return false;

    // The first word's items that every other word also matched, ranked: ordering only these
    // gives the same sequence as walking all of them in rank order and skipping the others.
    std::vector<RankedItem> ranked;
    ranked.reserve(gathered[0].distinct.size());
    for (CatalogueItemTable::Id id : gathered[0].distinct) {
        uint8_t worst = gathered[0].kind[id];
        for (size_t w = 1; w < gathered.size() && worst != kNoMatch; ++w)
            worst = gathered[w].kind[id] == kNoMatch ? uint8_t(kNoMatch) : std::max(worst, gathered[w].kind[id]);
        if (worst != kNoMatch)
            ranked.push_back({false, worst == kOneSlip, itemTable_.useCount(id), worst == kInitials,
                              itemTable_.text(id), id});
    }
    const bool matchedAll = !ranked.empty();
    if (matchedAll && !rememberedItems_.empty()) {
        // Marking the first word's kinds of the items that did not match all words would let a
        // remembered item that the other words miss through; the ranked list alone is tested.
        Gathered all;
        all.kind.assign(itemTable_.size(), kNoMatch);
        for (const RankedItem &entry : ranked)
            all.kind[entry.id] = kWordPrefix;
        const CatalogueItemTable::Id learned = learnedItem(query, all);
        for (RankedItem &entry : ranked)
            entry.learned = entry.id == learned;
    }

    // One result per launch key, in rank order: the first of a program's files and shortcuts wins.
    RankedStream stream(std::move(ranked));
    std::unordered_set<std::string> keys;
    const RankedItem *entry = nullptr;
    for (size_t i = 0; int32_t(results.size()) < resultLimit && (entry = stream.at(i)) != nullptr; ++i) {
        std::string text(entry->item);
        if (keys.insert(::launchKey(text)).second)
            results.push_back(std::move(text));
    }
    return matchedAll;
}

bool CommandCatalogue::matchToken(const std::string &word, std::vector<std::string> &items) {
    items.clear();
    if (word.empty())
        return false;
    ThreadMutexLock held(lock, lock.tryWait());
    if (!held.acquired())
        return false;
    applyDeferredUses();
    settle();
    Gathered gathered;
    if (!gatherItems(word, gathered))
        return false;
    // Each item's count is looked up once rather than at every comparison.
    std::vector<RankedItem> ranked;
    ranked.reserve(gathered.distinct.size());
    for (CatalogueItemTable::Id id : gathered.distinct)
        ranked.push_back({false, gathered.kind[id] == kOneSlip, itemTable_.useCount(id),
                          gathered.kind[id] == kInitials, itemTable_.text(id), id});
    std::sort(ranked.begin(), ranked.end(), ranksBefore);
    items.reserve(ranked.size());
    for (const RankedItem &entry : ranked)
        items.emplace_back(entry.item);
    return true;
}

void CommandCatalogue::settle() {
    tokens_.settle();
    itemTable_.settle();
}

int32_t CommandCatalogue::tokenWeight(const std::string &token) const {
    const uint32_t number = tokens_.find(token);
    return number == TokenTable::kNone ? -1 : tokens_.weight(number);
}

std::vector<std::string> CommandCatalogue::tokenItems(const std::string &token) {
    std::vector<std::string> items;
    ThreadMutexLock held(lock, lock.tryWait());
    if (!held.acquired())
        return items;
    const uint32_t number = tokens_.find(token);
    if (number == TokenTable::kNone)
        return items;
    std::vector<uint32_t> ids;
    tokens_.items(number, ids);
    for (CatalogueItemTable::Id id : ids)
        items.emplace_back(itemTable_.text(id));
    return items;
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
        // Search engines read the escapes of a query as UTF-8.
        target =
            webSearchAddress(webSearches[size_t(row)].urlPrefix, platform_.toUtf8 ? platform_.toUtf8(query) : query);
        return true;
    }
    target = itemTarget(results[size_t(row - searchRows)]);
    // The launch is counted and remembered now if the harvest lets go of the lock at once,
    // otherwise at the next search; the user-interface thread does not wait for a whole source.
    const std::string normal = QueryMemory::normalQuery(query);
    ThreadMutexLock held(lock, lock.tryWait());
    if (held.acquired()) {
        applyDeferredUses();
        noteUseLocked(target, true);
        rememberLocked(normal, target);
    } else {
        deferredUses_.push_back({target, normal});
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

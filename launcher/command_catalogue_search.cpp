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
    bool visited;
    int32_t count;
    bool initials;
    std::string_view item;
    CatalogueItemTable::Id id;
};

// The item launched from this query first; then exact matches before those that needed a typing
// slip forgiven; then every other item before the browsers' visited pages; then highest use count
// first; visited pages in the order the harvest ranked them (how often and how lately visited);
// word prefixes before initials; ascending byte order (items are distinct, so the order is total).
bool ranksBefore(const RankedItem &a, const RankedItem &b) {
    if (a.learned != b.learned)
        return a.learned;
    if (a.slip != b.slip)
        return b.slip;
    if (a.visited != b.visited)
        return b.visited;
    if (a.count != b.count)
        return a.count > b.count;
    if (a.visited)
        return a.id < b.id;
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
    std::vector<uint32_t> tokens, visitedTokens;
    tokens_.heaviestWithPrefix(word, size_t(2 * resultLimit), tokens);
    tokens_.visitedWithPrefix(word, size_t(2 * resultLimit), visitedTokens);
    MatchKind tokenKind = kWordPrefix;
    if (tokens.empty() && visitedTokens.empty() && word.size() >= kMinSlipLength) {
        tokens_.heaviestWithinOneEdit(word, size_t(2 * resultLimit), tokens);
        tokenKind = kOneSlip;
    }
    auto gatherToken = [this, &gathered, tokenKind](uint32_t token) {
        tokens_.forEachItem(token, [&gathered, tokenKind](CatalogueItemTable::Id id) {
            if (gathered.kind[id] == kNoMatch) {
                gathered.kind[id] = tokenKind;
                gathered.distinct.push_back(id);
            }
        });
        return gathered.distinct.size() <= size_t(kItemGatherLimit);
    };
    // Lightest tokens first, so the rare words are gathered whole before the limit cuts in; then
    // the words of visited pages alone, those of the best ranked pages first.
    bool room = true;
    for (auto token = tokens.rbegin(); room && token != tokens.rend(); ++token)
        room = gatherToken(*token);
    for (auto token = visitedTokens.begin(); room && token != visitedTokens.end(); ++token)
        room = gatherToken(*token);
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
    windowMatches_.clear();
    resultRows_.clear();
    calculation_ = Calculation();
    if (query.empty())
        return false;
    calculation_ = calculate(query);
    lowerAscii(query);
    std::vector<std::string> words = splitWords(query, kQueryWordMinLength);
    for (size_t i = 0; i < openWindows_.size() && windowMatches_.size() < kWindowRowLimit; ++i)
        if (windowMatches(openWindows_[i], words))
            windowMatches_.push_back(i);
    planResultRows(false);
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
            ranked.push_back({false, worst == kOneSlip, isVisitedPage(id), itemTable_.useCount(id),
                              worst == kInitials, itemTable_.text(id), id});
    }
    const bool matchedAll = !ranked.empty();
    bool learnedFirst = false;
    if (matchedAll && !rememberedItems_.empty()) {
        // Marking the first word's kinds of the items that did not match all words would let a
        // remembered item that the other words miss through; the ranked list alone is tested.
        Gathered all;
        all.kind.assign(itemTable_.size(), kNoMatch);
        for (const RankedItem &entry : ranked)
            all.kind[entry.id] = kWordPrefix;
        const CatalogueItemTable::Id learned = learnedItem(query, all);
        for (RankedItem &entry : ranked) {
            entry.learned = entry.id == learned;
            learnedFirst = learnedFirst || entry.learned;
        }
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
    planResultRows(learnedFirst);
    return matchedAll;
}

// The item launched from this query stays first; the open windows come before the other items,
// since switching to a window the user has open is what most such queries are for.
void CommandCatalogue::planResultRows(bool learnedFirst) {
    resultRows_.clear();
    size_t item = 0;
    if (learnedFirst && !results.empty())
        resultRows_.push_back({CommandRowKind::Item, item++});
    for (size_t window : windowMatches_)
        resultRows_.push_back({CommandRowKind::Window, window});
    for (; item < results.size(); ++item)
        resultRows_.push_back({CommandRowKind::Item, item});
}

std::vector<OpenWindow> CommandCatalogue::windowResults() const {
    std::vector<OpenWindow> windows;
    for (size_t index : windowMatches_)
        windows.push_back(openWindows_[index]);
    return windows;
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
        ranked.push_back({false, gathered.kind[id] == kOneSlip, isVisitedPage(id), itemTable_.useCount(id),
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
    if (calculation_.kind == Calculation::Kind::Value) {
        rows.push_back("= " + calculation_.text + "\tEnter copies the result");
        targets.emplace_back();
    } else if (calculation_.kind == Calculation::Kind::Error) {
        rows.push_back(calculation_.text);
        targets.emplace_back();
    }
    for (const WebSearchEntry &entry : webSearches) {
        rows.push_back(entry.label);
        targets.push_back(entry.urlPrefix);
    }
    for (const ResultRow &result : resultRows_) {
        if (result.kind == CommandRowKind::Window) {
            const OpenWindow &window = openWindows_[result.index];
            rows.push_back(windowRowText(window));
            targets.push_back(window.programPath);
            continue;
        }
        DisplayRow row = displayRowForItem(results[result.index]);
        rows.push_back(std::move(row.text));
        targets.push_back(std::move(row.target));
    }
    return !rows.empty();
}

CommandRowKind CommandCatalogue::rowKind(int32_t row) const {
    if (row < 0)
        return CommandRowKind::None;
    const int64_t calculationRow = calculationRows();
    const int64_t searchEnd = calculationRow + int64_t(webSearches.size());
    if (row < calculationRow)
        return CommandRowKind::Calculation;
    if (row < searchEnd)
        return CommandRowKind::WebSearch;
    if (row - searchEnd < int64_t(resultRows_.size()))
        return resultRows_[size_t(row - searchEnd)].kind;
    return CommandRowKind::None;
}

bool CommandCatalogue::resolveChoice(int32_t row, const std::string &query, std::string &target) {
    const CommandRowKind kind = rowKind(row);
    const int64_t searchRow = int64_t(row) - calculationRows();
    if (kind == CommandRowKind::Calculation) {
        target = calculation_.text;
        return calculation_.kind == Calculation::Kind::Value;
    }
    if (kind == CommandRowKind::WebSearch) {
        // Search engines read the escapes of a query as UTF-8.
        target = webSearchAddress(webSearches[size_t(searchRow)].urlPrefix,
                                  platform_.toUtf8 ? platform_.toUtf8(query) : query);
        return true;
    }
    if (kind != CommandRowKind::Item)
        return false;
    target = itemTarget(results[resultRows_[size_t(searchRow - int64_t(webSearches.size()))].index]);
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
    if (startsWithNoCase(query, "http://") || startsWithNoCase(query, "https://")) {
        target = query; // an address typed whole opens as typed, whatever row is chosen
    } else if (rowKind(row) == CommandRowKind::Calculation) {
        return resolveChoice(row, query, target) && platform_.copyText && platform_.copyText(target);
    } else if (rowKind(row) == CommandRowKind::Window) {
        const size_t index = resultRows_[size_t(row - firstResultRow())].index;
        return platform_.showWindow && platform_.showWindow(openWindows_[index].handle);
    } else if (!resolveChoice(row, query, target)) {
        return false;
    }
    if (!platform_.shellOpen)
        return false;
    platform_.shellOpen(openRequestFor(target));
    return true;
}

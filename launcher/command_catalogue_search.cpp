// Matching, display rows and launching of the command catalogue (user-interface thread).
#include "launcher/command_catalogue.h"

#include "launcher/command_items.h"
#include "launcher/result_selection.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// What one query word matches: the tokens it begins (or, for a word that begins none, those one slip
// away) and the items whose initials it begins.
struct CommandCatalogue::WordSources {
    std::vector<uint32_t> tokens; // the other items' tokens, then those of visited pages
    size_t pageTokens = 0;
    QueryMatches::Kind tokenKind = QueryMatches::kWordPrefix;
    std::vector<CatalogueItemTable::Id> initials;
    size_t itemsAtMost = 0; // the items of the tokens and initials, counted with repeats

    // Whether the word can match items other than visited pages, and visited pages.
    bool matchesOthers() const { return tokens.size() > pageTokens || !initials.empty(); }
    bool matchesPages() const { return pageTokens > 0; }
};

namespace {

// The ranking of search (result_selection.h) written out as a comparison, for matchToken, which
// orders every item of one word: the plain definition the search is checked against.
struct RankedItem {
    bool slip;
    bool visited;
    int32_t count;
    bool initials;
    std::string_view item;
    CatalogueItemTable::Id id;
};

bool ranksBefore(const RankedItem &a, const RankedItem &b) {
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

} // namespace

bool CommandCatalogue::findSources(const std::string &word, WordSources &sources) const {
    std::vector<uint32_t> visitedTokens;
    tokens_.heaviestWithPrefix(word, size_t(2 * resultLimit), sources.tokens);
    tokens_.visitedWithPrefix(word, size_t(2 * resultLimit), visitedTokens);
    sources.tokenKind = QueryMatches::kWordPrefix;
    if (sources.tokens.empty() && visitedTokens.empty() && word.size() >= kMinSlipLength) {
        tokens_.heaviestWithinOneEdit(word, size_t(2 * resultLimit), sources.tokens);
        sources.tokenKind = QueryMatches::kOneSlip;
    }
    sources.tokens.insert(sources.tokens.end(), visitedTokens.begin(), visitedTokens.end());
    sources.pageTokens = visitedTokens.size();
    itemTable_.withInitials(word, SIZE_MAX, sources.initials);
    sources.itemsAtMost = sources.initials.size();
    for (uint32_t token : sources.tokens)
        sources.itemsAtMost += tokens_.itemCount(token);
    return sources.itemsAtMost > 0;
}

void CommandCatalogue::markWord(const WordSources &sources, size_t word, QueryMatches &matches) const {
    // Every token of the word matches as the same kind, and the word's row is empty before: the
    // tokens' items are written without a look at what is there (the tens of thousands of items
    // of a one-letter word are most of a keystroke's work).
    uint8_t *row = matches.row(word);
    const uint8_t kind = sources.tokenKind;
    for (uint32_t token : sources.tokens)
        tokens_.forEachItem(token, [row, kind](CatalogueItemTable::Id id) { row[id] = kind; });
    for (CatalogueItemTable::Id id : sources.initials)
        matches.mark(word, id, QueryMatches::kInitials);
}

// The item last launched from the query, or from the longest remembered query that it begins,
// when every word matched it; kNone otherwise.
CatalogueItemTable::Id CommandCatalogue::learnedItem(const std::string &query, const QueryMatches &matches) const {
    if (rememberedItems_.empty())
        return CatalogueItemTable::kNone;
    for (const std::string &key : queryMemory_.launchesFor(QueryMemory::normalQuery(query))) {
        auto remembered = rememberedItems_.find(key);
        if (remembered == rememberedItems_.end())
            continue;
        for (CatalogueItemTable::Id id = remembered->second; id != CatalogueItemTable::kNone;
             id = itemTable_.nextOfTarget(id))
            if (matches.worst(id) != QueryMatches::kNoMatch)
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
    // A word typed twice matches what it matched once.
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    if (words.empty())
        return true;

    // Tried once, never waited for: while the harvest adds a source the search finds nothing.
    ThreadMutexLock held(lock, lock.tryWait());
    if (!held.acquired())
        return false;
    applyDeferredUses();
    settle();
    std::vector<WordSources> sources(words.size());
    size_t driver = 0;
    for (size_t w = 0; w < words.size(); ++w) {
        if (!findSources(words[w], sources[w]))
            return false;
        if (sources[w].itemsAtMost < sources[driver].itemsAtMost)
            driver = w;
    }
    QueryMatches matches(itemTable_.size(), words.size(), driver, sources[driver].itemsAtMost);
    // The groups of the rank that this query can fill at all: a word that begins no token matches
    // every item it matches by a slip or its initials; visited pages have no initials, and slips
    // are looked for among the other items' tokens only.
    bool others = true, pages = true, exactOthers = true, slipped = false;
    for (size_t w = 0; w < words.size(); ++w) {
        markWord(sources[w], w, matches);
        const bool slip = sources[w].tokenKind == QueryMatches::kOneSlip;
        others = others && sources[w].matchesOthers();
        pages = pages && sources[w].matchesPages();
        exactOthers = exactOthers && (slip ? !sources[w].initials.empty() : sources[w].matchesOthers());
        slipped = slipped || slip;
    }
    matches.setPossible(false, false, exactOthers);
    matches.setPossible(false, true, pages && !slipped);
    matches.setPossible(true, false, others && slipped);
    matches.setPossible(true, true, pages && slipped);
    const CatalogueItemTable::Id learned = learnedItem(query, matches);
    selectResults(itemTable_, matches, learned, size_t(resultLimit), results);
    planResultRows(learned != CatalogueItemTable::kNone);
    return !results.empty();
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
    WordSources sources;
    if (!findSources(word, sources))
        return false;
    QueryMatches matches(itemTable_.size(), 1, 0, sources.itemsAtMost);
    markWord(sources, 0, matches);
    // Each item's count is looked up once rather than at every comparison.
    std::vector<RankedItem> ranked;
    ranked.reserve(matches.driverItems().size());
    for (CatalogueItemTable::Id id : matches.driverItems()) {
        const QueryMatches::Kind kind = matches.worst(id);
        ranked.push_back({kind == QueryMatches::kOneSlip, itemTable_.isVisitedPage(id), itemTable_.useCount(id),
                          kind == QueryMatches::kInitials, itemTable_.text(id), id});
    }
    std::sort(ranked.begin(), ranked.end(), ranksBefore);
    items.reserve(ranked.size());
    for (const RankedItem &entry : ranked)
        items.emplace_back(entry.item);
    return !items.empty();
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
        settle(); // the counted items in order again now, not at the next keystroke
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

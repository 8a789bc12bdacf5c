// Matching, display rows and launching of the command catalogue (user-interface thread).
#include "launcher/command_catalogue.h"

#include "launcher/command_items.h"
#include "launcher/md5.h"
#include "vocabulary/word_trie.h"

#include <algorithm>
#include <cstring>
#include <set>
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

bool CommandCatalogue::search(std::string &query) {
    results.clear();
    if (query.empty())
        return false;
    lowerAscii(query);
    std::vector<std::string> words = splitWords(query, kQueryWordMinLength);
    if (!words.empty()) {
        if (!matchToken(words[0], results)) {
            results.clear();
            return false;
        }
        std::vector<std::string> wordItems;
        for (size_t w = 1; w < words.size(); ++w) {
            if (!matchToken(words[w], wordItems)) {
                results.clear();
                return false;
            }
            std::unordered_set<std::string> also(wordItems.begin(), wordItems.end());
            results.erase(std::remove_if(results.begin(), results.end(),
                                         [&also](const std::string &item) { return also.count(item) == 0; }),
                          results.end());
            if (results.empty())
                return false;
        }
    }
    // One row per program: the first of a program's files and shortcuts in use-count order wins.
    std::vector<std::string> unique;
    std::unordered_set<std::string> keys;
    for (std::string &item : results) {
        if (int32_t(unique.size()) >= resultLimit)
            break;
        if (keys.insert(::launchKey(item)).second)
            unique.push_back(std::move(item));
    }
    results = std::move(unique);
    return true;
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
    std::vector<suggestion> tokens;
    tokenIndex->collectPrefix(word.c_str(), tokens, 2 * resultLimit, true);
    if (tokens.empty())
        return false;
    // Lightest tokens first, so the rare words are gathered whole before the limit cuts in.
    std::set<std::string> gathered;
    ItemList tokenItems;
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) {
        if (tokenIndex->findItems(token->text.c_str(), tokenItems))
            gathered.insert(tokenItems.begin(), tokenItems.end());
        if (gathered.size() > size_t(kItemGatherLimit))
            break;
    }
    // Each item's count is computed once (an MD5 digest) rather than at every comparison; the
    // stable sort keeps the ascending byte order of the set among equal counts.
    std::vector<std::pair<int32_t, const std::string *>> ranked;
    ranked.reserve(gathered.size());
    for (const std::string &item : gathered)
        ranked.emplace_back(useCount(item), &item);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    items.reserve(ranked.size());
    for (const auto &entry : ranked)
        items.push_back(*entry.second);
    return !items.empty();
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

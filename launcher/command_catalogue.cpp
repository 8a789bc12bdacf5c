#include "launcher/command_catalogue.h"

#include "launcher/command_items.h"
#include "launcher/file_types.h"
#include "launcher/md5.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>

namespace {

const size_t kIndexedWordMinLength = 2; // one-letter words (drive letters, "c") are not indexed
const char kTitleSeparator[] = "\t\t";

// Whether a name whose characters outside the ANSI code page were lost still has something to
// read before its extension.
bool hasReadableStem(const std::string &name) {
    return name.substr(0, name.rfind('.')).find_first_not_of("? ") != std::string::npos;
}

} // namespace

CommandCatalogue::CommandCatalogue(int32_t limit, const std::string &useCountFile)
    : CommandCatalogue(limit, defaultLauncherPlatform(), useCountFile) {}

CommandCatalogue::CommandCatalogue(int32_t limit, const LauncherPlatform &platform, const std::string &useCountFile)
    : resultLimit(limit), fileTypes(builtInFileTypes()), webSearches(builtInWebSearches()), platform_(platform),
      useCountFile_(useCountFile), queryMemoryFile_(queryMemoryFileFor(useCountFile)) {
    loadUseCounts(useCountFile_);
    const QueryMemory::LoadResult loaded = queryMemory_.load(queryMemoryFile_);
    queryMemoryFileExists_ = loaded != QueryMemory::LoadResult::Missing;
    if (loaded == QueryMemory::LoadResult::Damaged) {
        queryMemoryDamaged_ = true;
        std::fprintf(stderr, "Warning: damaged file %s is left as it is\n", queryMemoryFile_.c_str());
    }
    for (const auto &entry : queryMemory_.entries())
        rememberedItems_.emplace(entry.second.useKey, CatalogueItemTable::kNone);
}

CommandCatalogue::~CommandCatalogue() {
    // The harvest has ended and the user-interface thread has left its loop: nothing else runs.
    applyDeferredUses();
    saveUseCounts(useCountFile_);
    // Nothing launched from a query and no file yet: no empty file either.
    if (!queryMemoryDamaged_ && (queryMemoryFileExists_ || !queryMemory_.entries().empty()))
        queryMemory_.save(queryMemoryFile_);
}

std::string CommandCatalogue::queryMemoryFileFor(const std::string &useCountFile) {
    const std::string extension = ".cmd";
    std::string base = useCountFile;
    if (base.size() >= extension.size() && base.compare(base.size() - extension.size(), extension.size(), extension) == 0)
        base.resize(base.size() - extension.size());
    return base + ".cmq";
}

void CommandCatalogue::addItem(const std::string &text, const std::string &target, int32_t weight, bool countUse) {
    // The words come from the long path (or the title), so the short 8.3 folder names in the item
    // do not hide the real ones from the search.
    addEntry(target.empty() ? withShortFolder(text) : target + kTitleSeparator + text, text, weight, countUse);
}

std::string CommandCatalogue::withShortFolder(const std::string &path) {
    size_t lastBackslash = path.rfind('\\');
    if (lastBackslash == std::string::npos || !platform_.shortPath)
        return path;
    std::string folder = path.substr(0, lastBackslash);
    if (folder != lastLongFolder_) {
        lastShortFolderFound_ = platform_.shortPath(folder, lastShortFolder_);
        lastLongFolder_ = folder;
    }
    return lastShortFolderFound_ ? lastShortFolder_ + path.substr(lastBackslash) : path;
}

void CommandCatalogue::addEntry(const std::string &item, const std::string &words, int32_t weight, bool countUse) {
    const std::string itemTargetText = itemTarget(item);
    const bool knownTarget = itemTable_.hasTarget(itemTargetText);
    const auto added = itemTable_.add(item, itemTargetText);
    if (!knownTarget && (!useCounts.empty() || !rememberedItems_.empty())) {
        const std::string key = md5Hex(itemTargetText);
        auto counted = useCounts.find(key);
        if (counted != useCounts.end())
            itemTable_.bindCount(itemTargetText, &counted->second);
        auto remembered = rememberedItems_.find(key);
        if (remembered != rememberedItems_.end() && remembered->second == CatalogueItemTable::kNone)
            remembered->second = added.first;
    }
    if (countUse)
        noteUse(itemTargetText, false);
    addToIndex(words, added.first, weight);
}

// An item added again gains the weight of its words again, but it is listed once per word. It may
// come with other words than before (a registry value naming C:\PROGRA~1\Tool\Tool.exe after the
// folder walk found C:\Program Files\Tool\Tool.exe): it is listed under those too, or a search
// for them would meet their weight but not the item.
void CommandCatalogue::addToIndex(const std::string &text, CatalogueItemTable::Id item, int32_t weight) {
    std::string lowered = text;
    lowerAscii(lowered);
    for (const std::string &token : splitWords(lowered, kIndexedWordMinLength))
        tokens_.post(tokens_.add(token, weight), item);
}

void CommandCatalogue::addTitledItem(const std::string &title, const std::string &target, const std::string &keywords,
                                     int32_t weight) {
    addEntry(target + kTitleSeparator + title, title + ' ' + keywords, weight, false);
}

void CommandCatalogue::addVisitedPages(const std::vector<TitledAddress> &pages) {
    for (const TitledAddress &page : pages) {
        if (page.address.empty() || itemTable_.hasTarget(page.address))
            continue; // a bookmark, or a page two browsers visited: listed once
        const auto added = itemTable_.add(page.address + kTitleSeparator + page.title, page.address, true);
        if (!useCounts.empty() || !rememberedItems_.empty()) {
            const std::string key = md5Hex(page.address);
            auto counted = useCounts.find(key);
            if (counted != useCounts.end())
                itemTable_.bindCount(page.address, &counted->second);
            auto remembered = rememberedItems_.find(key);
            if (remembered != rememberedItems_.end() && remembered->second == CatalogueItemTable::kNone)
                remembered->second = added.first;
        }
        std::string words = page.title + ' ' + addressHost(page.address);
        lowerAscii(words);
        for (const std::string &token : splitWords(words, kIndexedWordMinLength))
            tokens_.post(tokens_.addVisited(token), added.first);
    }
}

void CommandCatalogue::addFolder(const std::string &folder, int32_t depth, int32_t maxSubfolders, bool countUse) {
    if (folder.empty())
        return;
    if (depth != -1) {
        if (depth < 1)
            return;
        --depth;
    }
    const std::string base = folder.back() == '\\' ? folder : folder + '\\';
    std::vector<DirectoryEntry> entries;
    if (!platform_.listDirectory || !platform_.listDirectory(base + '*', entries))
        return;
    std::vector<std::string> subfolders;
    for (const DirectoryEntry &entry : entries) {
        if (entry.name == "." || entry.name == "..")
            continue;
        if (entry.isDirectory) {
            std::string path = addFolderEntry(base, entry, 1, false);
            if ((depth == -1 || depth > 0) && (maxSubfolders == -1 || int32_t(subfolders.size()) < maxSubfolders))
                subfolders.push_back(path);
        } else {
            int32_t weight = typeWeight(entry.name);
            if (weight >= 1)
                addFolderEntry(base, entry, weight, countUse);
        }
    }
    // Entered only after every entry of this folder is in, so its own files come first.
    for (const std::string &subfolder : subfolders)
        addFolder(subfolder, depth, maxSubfolders, false);
}

// A name with characters outside the ANSI code page comes back from the ANSI file functions with
// a '?' for each of them, a character no file name holds: no file of that name can be opened. Such
// an entry is reached by its short name, and shown by its long name, as a titled item, when that
// is still readable. Its words are those of the long name, cut where characters were lost.
std::string CommandCatalogue::addFolderEntry(const std::string &base, const DirectoryEntry &entry, int32_t weight,
                                             bool countUse) {
    const std::string path = base + entry.name;
    if (entry.name.find('?') == std::string::npos || entry.shortName.empty()) {
        addItem(path, std::string(), weight, countUse);
        return path;
    }
    const std::string openable = base + entry.shortName;
    if (!hasReadableStem(entry.name)) {
        addItem(openable, std::string(), weight, countUse);
        return openable;
    }
    std::string words = path;
    std::replace(words.begin(), words.end(), '?', ' ');
    addEntry(withShortFolder(openable) + kTitleSeparator + entry.name, words, weight, countUse);
    return openable;
}

int32_t CommandCatalogue::typeWeight(const std::string &path) const {
    size_t lastDot = path.rfind('.');
    if (lastDot == std::string::npos)
        return 0;
    std::string extension = path.substr(lastDot + 1);
    lowerAscii(extension);
    auto row = fileTypes.find(extension);
    return row == fileTypes.end() ? 0 : row->second;
}

void CommandCatalogue::noteUse(const std::string &target, bool increment) {
    if (target.empty())
        return;
    ThreadMutexLock held(lock, lock.wait());
    noteUseLocked(target, increment);
}

void CommandCatalogue::noteUseLocked(const std::string &target, bool increment) {
    if (target.empty())
        return;
    auto inserted = useCounts.emplace(md5Hex(target), 1);
    // Map nodes never move, so the table may keep pointing at the count.
    itemTable_.bindCount(target, &inserted.first->second);
    // A count that reached the top stays there rather than wrapping to a negative one.
    if (!inserted.second && increment && inserted.first->second < INT32_MAX)
        ++inserted.first->second;
}

void CommandCatalogue::rememberLocked(const std::string &query, const std::string &target) {
    if (query.empty() || target.empty())
        return;
    const std::string key = md5Hex(target);
    queryMemory_.remember(query, key, platform_.now ? platform_.now() : int64_t(std::time(nullptr)));
    // An item of the target that comes later (a launch made before its source was harvested again)
    // is bound when it is added.
    rememberedItems_[key] = itemTable_.firstOfTarget(target);
}

void CommandCatalogue::applyDeferredUses() {
    for (const Deferred &use : deferredUses_) {
        noteUseLocked(use.target, true);
        rememberLocked(use.query, use.target);
    }
    deferredUses_.clear();
}

int32_t CommandCatalogue::useCount(const std::string &item) const {
    auto entry = useCounts.find(md5Hex(itemTarget(item)));
    return entry == useCounts.end() ? 0 : entry->second;
}

void CommandCatalogue::loadUseCounts(const std::string &fileName) { loadUseCountFile(fileName, useCounts); }

bool CommandCatalogue::saveUseCounts(const std::string &fileName) { return saveUseCountFile(fileName, useCounts); }

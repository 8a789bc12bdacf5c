#pragma once

#include "common/thread_mutex.h"
#include "launcher/calculator.h"
#include "launcher/catalogue_item_table.h"
#include "launcher/launcher_platform.h"
#include "launcher/open_windows.h"
#include "launcher/query_matches.h"
#include "launcher/query_memory.h"
#include "launcher/token_table.h"
#include "launcher/use_count_file.h"
#include "launcher/web_search.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A page of the browsers' history as the catalogue takes it: its address and its title, in the
// ANSI text of the catalogue.
struct TitledAddress {
    std::string address;
    std::string title;
};

// What a row of the command window's list is: the calculator's row (first, when the query is a
// sum), a web search, a catalogue item or an open window.
enum class CommandRowKind { None, Calculation, WebSearch, Item, Window };

// The store behind Quick Search and Launch: every launchable thing the harvest finds, indexed by
// the words of its path or title; the file-type table; the three web-search rows; the use counts
// that order the matches, which outlive the process in "wordlark.cmd", and the memory of which
// item was launched from which query, kept beside it in "wordlark.cmq" (query_memory.h).
//
// Threads: the worker thread fills the catalogue while holding `lock` (blocking wait) one source at
// a time; addItem and addFolder do not take it themselves. The user-interface thread searches and
// launches; its searches only try the lock and find nothing while the harvest holds it, so typing
// never waits. `results` belongs to the user-interface thread. fileTypes and webSearches are fixed
// at construction and read without the lock.
class CommandCatalogue {
public:
    static constexpr size_t kMinSlipLength = 4;       // shorter words are too easily one slip from anything
    static constexpr size_t kWindowRowLimit = 10;     // open windows listed for one query at most

    // Builds the catalogue with the services of this build, the use counts of useCountFile (the
    // start-up passes 25 and "wordlark.cmd" in the program folder) and the query memory of the
    // file beside it (queryMemoryFileFor).
    CommandCatalogue(int32_t resultLimit, const std::string &useCountFile);
    // The same with injected services and another use-count file (tests, benchmarks).
    CommandCatalogue(int32_t resultLimit, const LauncherPlatform &platform,
                     const std::string &useCountFile = "wordlark.cmd");
    // Saves the use counts and the query memory (each whole, then replacing the old file). A query
    // memory file that was found damaged is left as it is.
    ~CommandCatalogue();
    CommandCatalogue(const CommandCatalogue &) = delete;
    CommandCatalogue &operator=(const CommandCatalogue &) = delete;

    // --- Filling (worker thread; the caller holds `lock`) ---

    // Adds one item. With a target, a titled item (target, two tabs, text) found by the words of
    // text; without, a path item made from text (folder part in short form) found by the words of
    // the long path. Each word of 2 bytes or more gains `weight`. countUse gives the item's target a
    // use count of 1 unless it has one.
    void addItem(const std::string &text, const std::string &target, int32_t weight, bool countUse);
    // Adds a folder tree: depth is the number of levels read counting this folder (-1: no limit),
    // maxSubfolders the most subfolders of one folder that are entered (-1: all). A folder's files
    // and subfolder items come before any subfolder is entered; countUse applies to the files of
    // this folder only. An empty folder adds nothing.
    void addFolder(const std::string &folder, int32_t depth, int32_t maxSubfolders, bool countUse);
    // The weight of a path's extension, 0 when such a file is not catalogued.
    int32_t typeWeight(const std::string &path) const;
    // Adds a titled item (target, two tabs, title) found by the words of its title and of
    // keywords, which are not shown: a page of Windows' settings found by "bluetooth" or "wifi".
    void addTitledItem(const std::string &title, const std::string &target, const std::string &keywords,
                       int32_t weight);
    // Adds the pages of the browsers' history, the most wanted first, each as a titled item found
    // by the words of its title and of its address's host name ("github"). A page whose address is
    // an item already (a bookmark) is left out. Visited pages rank below every other item of the
    // same match, and among themselves by use count and then in the order given. Their words
    // never outweigh those of other items (token_table.h), and they are not found by initials.
    void addVisitedPages(const std::vector<TitledAddress> &pages);
    // Whether an item has target as its target. The caller holds `lock`.
    bool hasItemTarget(const std::string &target) const { return itemTable_.hasTarget(target); }

    // --- Use counts ---

    // Records a use of target: a new target gets 1; an existing one grows by 1 only with increment.
    // Takes `lock` (waiting; the lock is recursive, so the harvest may call it while holding it).
    void noteUse(const std::string &target, bool increment);
    // The use count of an item's target, 0 when it has none. The caller holds `lock` or is alone.
    int32_t useCount(const std::string &item) const;
    // Read/replace the counts from/to a use-count file; see use_count_file.h. Loading is meant for
    // construction, before items are added.
    void loadUseCounts(const std::string &fileName);
    bool saveUseCounts(const std::string &fileName);

    // The query memory's file for a use-count file: "wordlark.cmd" gives "wordlark.cmq" beside it.
    static std::string queryMemoryFileFor(const std::string &useCountFile);
    // Set when the query memory file was there but not in its form: it is then not written back,
    // so that nothing in it is lost; the launches of this run are remembered until the end only.
    bool queryMemoryDamaged() const { return queryMemoryDamaged_; }
    const QueryMemory &queryMemory() const { return queryMemory_; }

    // --- Matching and launching (user-interface thread) ---

    // The top-level windows open now (open_windows.h), listed by the command window each time it
    // is shown; searches list those whose title matches every query word.
    void setOpenWindows(std::vector<OpenWindow> windows) { openWindows_ = std::move(windows); }

    // Lowers the query in place, cuts it into words and fills `results` with the items that every
    // query word matches, one per launchKey, at most resultLimit. A word matches every item of the
    // at most 2 x resultLimit heaviest tokens beginning with it (and of as many words of visited
    // pages), or whose name's initials from some word on begin with it ("vsc", Visual Studio
    // Code); a word of kMinSlipLength letters or more that begins no token matches the items of
    // the tokens one typing slip away (token_table.h). Order: the item last launched from this
    // query or from one it begins (query memory) first; then as result_selection.h ranks them.
    // False when the query is empty, a word has no match or no item matches all words (results
    // empty); true otherwise, also for a query of separators only.
    // It also works the query out as a sum (calculator.h) and lists the open windows whose title
    // matches every word (at most kWindowRowLimit, top of the screen first), both without the lock.
    bool search(std::string &query);
    // The same on a zero-terminated buffer that is lowered in place (the command window's text).
    bool search(char *query);
    // Every item that word matches as one query word, distinct, ordered as search orders them
    // without the query memory, by a plain sort of them all: what search must agree with. False
    // with an empty output when word is empty, when the harvest holds `lock`, or when nothing
    // matches.
    bool matchToken(const std::string &word, std::vector<std::string> &items);
    // See command_items.h.
    static std::string launchKey(const std::string &item);
    // The items that token (a whole indexed word) occurs in, in the order they were added; empty
    // when there are none or the harvest holds `lock`.
    std::vector<std::string> tokenItems(const std::string &token);
    // The weight of token, -1 when it was never indexed (the words of visited pages are kept apart,
    // token_table.h). The caller holds `lock` or is alone.
    int32_t tokenWeight(const std::string &token) const;
    // Sorts what was added since the last search into the index's prefix orders, which the next
    // search would otherwise do first. The caller holds `lock`.
    void settle();
    // The rows of the last search: the calculator's row when the query was a sum, the three
    // web-search rows, then the item launched from this query (when it matched), the matching open
    // windows and the other results. Each row's text is its main column, a tab and its grey
    // column; targets holds what the row's icon is taken from (an item's target, a web search's
    // address prefix, a window's program; empty for the calculator's row). True when there is a row.
    bool buildDisplayList(std::vector<std::string> &rows, std::vector<std::string> &targets) const;
    // What row `row` of that list is; None past its end.
    CommandRowKind rowKind(int32_t row) const;
    // The first row after the web-search rows (3, or 4 below a calculator's row), where the first
    // move after the list drops down goes.
    int32_t firstResultRow() const { return calculationRows() + int32_t(webSearches.size()); }
    // The target of list row `row`: for the calculator's row its value (false for an error); for
    // a web search the search address of query (the ANSI query converted to UTF-8 first); for an
    // item its target, whose use count grows by 1. False for a window's row and a row that does
    // not exist.
    bool resolveChoice(int32_t row, const std::string &query, std::string &target);
    // Acts on row `row`: a query beginning with "http://" or "https://" (any case) is opened as
    // typed without looking at the row; the calculator's value is copied to the clipboard; a
    // window is brought to the front; anything else has resolveChoice's target opened by the
    // shell. True when something was done.
    bool launch(int32_t row, const std::string &query);

    // --- Read access for the command window and tests ---
    const std::vector<std::string> &searchResults() const { return results; }
    const Calculation &calculation() const { return calculation_; }
    // The open windows the last search matched, in list order.
    std::vector<OpenWindow> windowResults() const;
    const std::vector<WebSearchEntry> &webSearchEntries() const { return webSearches; }
    const std::map<std::string, int32_t> &fileTypeTable() const { return fileTypes; }
    const UseCountMap &useCountTable() const { return useCounts; }
    int32_t limit() const { return resultLimit; }

    ThreadMutex lock; // shared by the harvest and the search

private:
    struct WordSources; // what one query word matches, in command_catalogue_search.cpp

    // A row after the web-search rows: an item of `results` or a window of `openWindows_`.
    struct ResultRow {
        CommandRowKind kind;
        size_t index;
    };

    struct Deferred {
        std::string target;
        std::string query; // normal
    };

    void noteUseLocked(const std::string &target, bool increment);
    void rememberLocked(const std::string &query, const std::string &target);
    void applyDeferredUses();
    CatalogueItemTable::Id learnedItem(const std::string &query, const QueryMatches &matches) const;
    std::string withShortFolder(const std::string &path);
    void addEntry(const std::string &item, const std::string &words, int32_t weight, bool countUse);
    std::string addFolderEntry(const std::string &base, const DirectoryEntry &entry, int32_t weight, bool countUse);
    void addToIndex(const std::string &text, CatalogueItemTable::Id item, int32_t weight);
    bool findSources(const std::string &word, WordSources &sources) const;
    void markWord(const WordSources &sources, size_t word, QueryMatches &matches) const;
    int32_t calculationRows() const { return calculation_.kind == Calculation::Kind::NotArithmetic ? 0 : 1; }
    void planResultRows(bool learnedFirst);

    int32_t resultLimit;
    std::map<std::string, int32_t> fileTypes;
    std::vector<std::string> results;
    std::vector<WebSearchEntry> webSearches;
    UseCountMap useCounts;

    LauncherPlatform platform_;
    std::string useCountFile_;
    // The short form of the folder of the last item: a harvest adds a folder's files one after
    // another, and asking the file system for the 8.3 names of every component is slow.
    std::string lastLongFolder_;
    std::string lastShortFolder_;
    bool lastShortFolderFound_ = false;
    // Uses chosen while the harvest held the lock; entered at the next search or at shut-down so
    // that the user-interface thread never waits. User-interface thread only (and the destructor).
    std::vector<Deferred> deferredUses_;
    // The items, the tokens' lists of them and their use counts. Each count is bound to its target
    // when the item or the count first appears, so a search ranks thousands of items without an
    // MD5 digest for each; complete because the counts are loaded before anything is added.
    CatalogueItemTable itemTable_;
    TokenTable tokens_;

    // The last search's calculation, matching windows and the order of its rows after the
    // web searches. User-interface thread only.
    Calculation calculation_;
    std::vector<OpenWindow> openWindows_;
    std::vector<size_t> windowMatches_;
    std::vector<ResultRow> resultRows_;

    QueryMemory queryMemory_;
    std::string queryMemoryFile_;
    bool queryMemoryDamaged_ = false;
    bool queryMemoryFileExists_ = false;
    // The first item of each remembered target, by use key (kNone until it comes): the query memory
    // holds digests, and a target's digest is taken once, when its first item comes (or at a launch).
    std::map<std::string, CatalogueItemTable::Id> rememberedItems_;
};

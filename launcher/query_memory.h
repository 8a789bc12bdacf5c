#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What was launched from which query: for each query text, the use key (see md5.h) of the target
// last launched from it and when. The same query, or a longer one that it begins, then lists that
// target first. Kept in "wordlark.cmq" beside "wordlark.cmd":
//
//   wordlark query memory 1<CR LF>
//   <seconds since 1970, UTC> TAB <use key: 32 lower-case hex digits> TAB <query> <CR LF>
//   ...one line per query, oldest first...
//
// A query is held as normalQuery gives it: its words lowered and joined by single spaces, so it
// holds no tab and no line break. The file holds at most kMaxQueries lines; remembering one more
// drops the oldest.
class QueryMemory {
public:
    static constexpr size_t kMaxQueries = 1000;

    struct Launch {
        std::string useKey;
        int64_t time = 0;
        uint64_t order = 0; // among equal times, the later remembered has the higher order
    };
    enum class LoadResult { Missing, Loaded, Damaged };

    // The query as it is remembered: ASCII letters lowered, cut into words at the separators of
    // the search (control bytes too), the words joined by one space.
    static std::string normalQuery(const std::string &typed);

    // Remembers that useKey was launched from query (already normal; an empty one is ignored) at
    // time, replacing what that query had.
    void remember(const std::string &query, const std::string &useKey, int64_t time);
    // The use keys remembered for query (normal) and for every query it begins, longest first.
    std::vector<std::string> launchesFor(const std::string &query) const;
    const std::map<std::string, Launch> &entries() const { return entries_; }

    // Reads the file's bytes. False, leaving the memory as it was, when anything in them is not
    // as this build writes it (a line cut, a key or time of another form, a query repeated).
    bool parse(const std::string &bytes);
    // The file's bytes: the header, then the queries from oldest to newest.
    std::string format() const;

    LoadResult load(const std::string &path);
    // Replaces the file whole through a temporary file beside it; false when it cannot be written.
    bool save(const std::string &path) const;

private:
    void dropOldestBeyondLimit();

    std::map<std::string, Launch> entries_;
    uint64_t nextOrder_ = 0;
};

#pragma once

#include <string>
#include <vector>

// One built-in web-search row of the command window.
struct WebSearchEntry {
    std::string label;     // row text, two leading spaces
    std::string urlPrefix; // "http://", the engine's host, its path and query key; the query follows
};

// The three entries in row order (rows 0 to 2). The engines' hosts are chosen here and nowhere else.
std::vector<WebSearchEntry> builtInWebSearches();

// Icon resource of the web-search row `row` (0 to 2): 143, 144, 145.
int webSearchIconId(int row);

// The domain of an address prefix: the last two labels of its host ("www.example.com" gives
// "example.com"). The command window picks a search engine's icon for addresses containing it.
std::string webSearchDomain(const std::string &urlPrefix);

// The address that searches for `query`, given as UTF-8: urlPrefix followed by the query with every
// space turned into a plus sign. Bytes that would change the address's meaning or are not plain
// ASCII ('#', '&', '+', '%', '?', control bytes and bytes above 127) are percent-encoded, so
// "c# & c++" searches for exactly that and "caf\xC3\xA9" for "caf%C3%A9". Letters and digits keep
// their case; nothing is trimmed. An empty query gives the prefix alone.
std::string webSearchAddress(const std::string &urlPrefix, const std::string &query);

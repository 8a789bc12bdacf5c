#include "launcher/web_search.h"

#include <gtest/gtest.h>

namespace {

TEST(WebSearchTest, ThreeEntriesWithTheirPathsAndQueryKeys) {
    std::vector<WebSearchEntry> entries = builtInWebSearches();
    ASSERT_EQ(3u, entries.size());
    const char *labels[] = {"  Google Search", "  Yahoo Search", "  MSN Search"};
    const char *tails[] = {"/search?q=", "/search?p=", "/results.aspx?q="};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(labels[i], entries[i].label);
        EXPECT_EQ(0u, entries[i].urlPrefix.find("http://"));
        const std::string tail = tails[i];
        ASSERT_GT(entries[i].urlPrefix.size(), tail.size());
        EXPECT_EQ(tail, entries[i].urlPrefix.substr(entries[i].urlPrefix.size() - tail.size()));
        // The host has no path of its own before the engine's.
        EXPECT_EQ(entries[i].urlPrefix.find('/', 7), entries[i].urlPrefix.size() - tail.size());
        EXPECT_EQ(143 + int(i), webSearchIconId(int(i)));
    }
}

TEST(WebSearchTest, DomainIsTheLastTwoLabelsOfTheHost) {
    EXPECT_EQ("example.com", webSearchDomain("http://www.example.com/search?q="));
    EXPECT_EQ("example.com", webSearchDomain("http://a.b.example.com:8080/x"));
    EXPECT_EQ("example.com", webSearchDomain("http://example.com/"));
    EXPECT_EQ("localhost", webSearchDomain("http://localhost/q="));
    for (const WebSearchEntry &entry : builtInWebSearches())
        EXPECT_NE(std::string::npos, entry.urlPrefix.find(webSearchDomain(entry.urlPrefix)));
}

struct AddressCase {
    const char *query;
    const char *encoded;
};

TEST(WebSearchTest, QueryIsAppendedWithPlusSignsAndMeaningfulBytesEscaped) {
    const AddressCase cases[] = {
        {"", ""},
        {"two words", "two+words"},
        {"c# & c++", "c%23+%26+c%2B%2B"},
        {"100% sure?", "100%25+sure%3F"},
        {"  Keep Case  ", "++Keep+Case++"},
        {"a=b/c;d:e,f", "a=b/c;d:e,f"},
        {"tab\there\x7f", "tab%09here%7F"},
        {"caf\xe9 \xff", "caf%E9+%FF"},
    };
    for (const AddressCase &c : cases)
        EXPECT_EQ(std::string("http://h/s?q=") + c.encoded, webSearchAddress("http://h/s?q=", c.query)) << c.query;
}

} // namespace

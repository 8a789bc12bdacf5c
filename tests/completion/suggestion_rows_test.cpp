#include "completion/completion_fixture.h"

#include <future>
#include <thread>

#include "completion/suggestion_rows.h"

namespace {

class SuggestionRows : public CompletionFixture {};

TEST_F(SuggestionRows, ThreeRowsAreNumberedOneTwoZero) {
    start("that 90\r\nthen 80\r\nthere 70\r\nhello 5\r\n");
    type("th");
    std::string text;
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "1. that\n2. then\n0. there\n");
    std::vector<std::string> lines = splitLines(text);
    ASSERT_EQ(lines.size(), 3u);
    RowParts row = splitRow(lines[2], store_->typedLength());
    EXPECT_EQ(row.number, "0. ");
    EXPECT_EQ(row.typed, "th");
    EXPECT_EQ(row.rest, "ere");
}

TEST_F(SuggestionRows, RowsShowTheWordAsTypedAndTheRestInCapitalsMode) {
    start("hello 5\r\n");
    type("Hel");
    std::string text;
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "0. Hello\n"); // one row: (0 + 1) mod 1
    store_->reset();
    type("HEL");
    text.clear();
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "0. HELLO\n");
    std::string longest;
    int rows = 0;
    ASSERT_TRUE(measurePage(*store_, longest, rows));
    EXPECT_EQ(longest, "HELLO");
    EXPECT_EQ(rows, 1);
    store_->reset();
    type("H"); // one capital may just start a sentence
    text.clear();
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "0. Hello\n");
}

TEST_F(SuggestionRows, CorrectionsShowTheirWholeWordAsAPickTypesItAfterTheirMark) {
    start("hexagon 5\r\nhello 4\r\nhelpers 3\r\n");
    type("Hex"); // hexagon begins with the letters, hello and helpers are a letter away
    std::string text;
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "1. Hexagon\n2~ Hello\n0~ Helpers\n");
    RowParts row = splitRow(splitLines(text)[2], store_->typedLength());
    EXPECT_TRUE(row.correction);
    EXPECT_EQ(row.number, "0~ ");
    EXPECT_EQ(row.typed, "");
    EXPECT_EQ(row.rest, "Helpers");
    EXPECT_FALSE(splitRow(splitLines(text)[0], store_->typedLength()).correction);
    store_->reset();
    type("HEX");
    text.clear();
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "1. HEXAGON\n2~ HELLO\n0~ HELPERS\n");
    std::string longest;
    int rows = 0;
    ASSERT_TRUE(measurePage(*store_, longest, rows));
    EXPECT_EQ(longest, "HEXAGON");
}

TEST_F(SuggestionRows, LaterPagesKeepTheirRowNumbersAndTheLongestWordIsThePagesFirst) {
    std::string vocabulary;
    for (int i = 0; i < 12; ++i)
        vocabulary += "ab" + std::string(static_cast<size_t>(i % 3 + 2), static_cast<char>('a' + i)) + " " +
                      std::to_string(100 - i) + "\r\n";
    start(vocabulary);
    type("ab");
    for (int i = 0; i < 11; ++i)
        key(forwarded_key::kDown);
    ASSERT_EQ(store_->pageStart(), 1);
    std::string text;
    ASSERT_TRUE(formatSuggestions(*store_, text));
    std::vector<std::string> lines = splitLines(text);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "2. abbbb");
    EXPECT_EQ(lines[9], "1. abkkk");
    std::string longest;
    int rows = 0;
    ASSERT_TRUE(measurePage(*store_, longest, rows));
    EXPECT_EQ(longest, "abcccc"); // index 2; index 5 ("abffff") is as long but later
    EXPECT_EQ(rows, 10);
}

TEST_F(SuggestionRows, LongWordsMakeWholeRows) {
    // The longest current word and the longest word a vocabulary line can hold give whole lines.
    std::string stored(78, 'q');
    start(stored + " 3\r\n");
    std::string typed(47, 'q');
    type(typed);
    std::string text;
    ASSERT_TRUE(formatSuggestions(*store_, text));
    EXPECT_EQ(text, "0. " + stored + "\n");
    RowParts row = splitRow(splitLines(text)[0], store_->typedLength());
    EXPECT_EQ(row.typed, typed);
    EXPECT_EQ(row.rest, std::string(31, 'q'));
}

TEST_F(SuggestionRows, NothingToShowOrABusyStoreGivesNoRows) {
    start("hello 5\r\n");
    std::string text, longest;
    int rows = -1;
    EXPECT_FALSE(formatSuggestions(*store_, text));
    ASSERT_TRUE(measurePage(*store_, longest, rows));
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(longest.empty());
    type("hel");
    std::promise<void> held, done;
    std::thread holder([&]() {
        store_->lock().wait();
        held.set_value();
        done.get_future().wait();
        store_->lock().release();
    });
    held.get_future().wait();
    EXPECT_FALSE(formatSuggestions(*store_, text));
    EXPECT_FALSE(measurePage(*store_, longest, rows));
    EXPECT_EQ(rows, 0);
    done.set_value();
    holder.join();
    EXPECT_TRUE(text.empty());
}

TEST(SuggestionRowParts, ShortLinesAndWordsEqualToTheTypedPart) {
    struct Case {
        const char *line;
        int typed;
        const char *number, *typedPart, *rest;
    } cases[] = {
        {"1. hello", 3, "1. ", "hel", "lo"},
        {"1. hel", 3, "1. ", "hel", ""}, // the suggestion is the typed word: no rest
        {"1. he", 3, "1. ", "he", ""},
        {"1.", 3, "1.", "", ""},
        {"", 3, "", "", ""},
        {"2. \xe9t\xe9", 1, "2. ", "\xe9", "t\xe9"},
    };
    for (const Case &c : cases) {
        RowParts parts = splitRow(c.line, c.typed);
        EXPECT_EQ(parts.number, c.number) << c.line;
        EXPECT_EQ(parts.typed, c.typedPart) << c.line;
        EXPECT_EQ(parts.rest, c.rest) << c.line;
    }
}

TEST(SuggestionColumns, WidthsComeFromTheFirstRowByUnsignedCode) {
    auto widthOf = [](unsigned char ch) { return ch >= 128 ? 100 : ch == '1' ? 5 : 7; };
    RowColumns columns = measureColumns("1. \xe9tude", 2, widthOf);
    EXPECT_EQ(columns.numberWidth, 5 + 7 + 7);
    EXPECT_EQ(columns.typedWidth, 100 + 7);
    columns = measureColumns("1. a", 5, widthOf); // fewer characters than typed
    EXPECT_EQ(columns.typedWidth, 7);
    // The dot's place is as wide as the correction mark, so words start alike on both kinds of row.
    auto wideMark = [](unsigned char ch) { return ch == kCorrectionMark ? 11 : 7; };
    EXPECT_EQ(measureColumns("1. hel", 3, wideMark).numberWidth, 7 + 11 + 7);
    EXPECT_EQ(measureColumns("1~ hello", 3, wideMark).numberWidth, 7 + 11 + 7);
}

TEST(SuggestionFooter, IconIsCentredUnderLongRowsAndAtLeastFourPixelsIn) {
    EXPECT_EQ(footerIconX(8, 7), 4);
    EXPECT_EQ(footerIconX(13, 7), 4);
    EXPECT_EQ(footerIconX(14, 7), 4); // 7 / 2 truncates to 3
    EXPECT_EQ(footerIconX(20, 7), 24);
    EXPECT_EQ(footerIconX(0, 7), 4); // negative offsets truncate toward zero, then the minimum
}

} // namespace

#pragma once

#include <string>
#include <vector>

class WordStore;

// The rows of the shown page, one line each: the row number ((index + 1) mod rows on the page),
// a dot and a blank, the current word as typed, then the rest of the suggested word (upper case
// in capitals mode once more than one letter is typed). A correction's row has kCorrectionMark
// for the dot and, after the blank, its whole word as a pick types it. False when the store is
// busy or there is nothing to show. Rows are built whole, however long the word.
bool formatSuggestions(WordStore &store, std::string &text);

// Marks a correction, in place of the dot after the row number: the word is spelled otherwise
// than typed.
const char kCorrectionMark = '~';

// What the list's size is measured from: the longest word of the shown page (the first of that
// length, in upper case when the rows show it so) and the number of rows a page has. False when
// the store is busy.
bool measurePage(WordStore &store, std::string &longestWord, int &rowCount);

// One row cut into its three coloured parts: number with dot and blank, typed part, rest. A
// correction's row has no typed part: its whole word is the rest, which starts where the typed
// part does on the other rows.
struct RowParts {
    std::string number, typed, rest;
    bool correction = false;
};
RowParts splitRow(const std::string &line, int typedLength);

// The text split at line feeds; a final line feed ends the last line rather than starting one.
std::vector<std::string> splitLines(const std::string &text);

// Pixel offsets of the typed-part and rest columns, taken from the first row so that all rows
// line up; the number column is as wide as its dot or kCorrectionMark, whichever is wider, so
// that a correction's word starts where the typed part does. widthOf gives a character's width by
// its unsigned code.
struct RowColumns {
    int numberWidth = 0, typedWidth = 0;
};
template <class WidthOf> RowColumns measureColumns(const std::string &firstLine, int typedLength, WidthOf widthOf) {
    RowColumns columns;
    size_t i = 0;
    for (; i < firstLine.size() && i < 3; ++i) {
        const bool mark = i == 1 && (firstLine[i] == '.' || firstLine[i] == kCorrectionMark);
        const int dot = widthOf('.'), correction = widthOf(static_cast<unsigned char>(kCorrectionMark));
        columns.numberWidth +=
            mark ? (dot > correction ? dot : correction) : widthOf(static_cast<unsigned char>(firstLine[i]));
    }
    for (int typed = 0; i < firstLine.size() && typed < typedLength; ++i, ++typed)
        columns.typedWidth += widthOf(static_cast<unsigned char>(firstLine[i]));
    return columns;
}

// Left edge of the footer's icon: centred under the longest row for its 13 characters, at least
// 4 pixels from the edge.
int footerIconX(int maxLineLength, int charWidth);

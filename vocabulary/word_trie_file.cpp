#include "vocabulary/word_trie.h"

#include "common/atomic_file.h"
#include "common/file_access.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// Reads a decimal number the way atoi does (leading blanks, a sign, digits up to the first other
// character, 0 without digits), but saturates where atoi would overflow.
int32_t readCount(const char *text) {
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

// A word of up to 80 characters followed by its count, as save writes it: such a line may be
// longer than 80 characters, and refusing it would make the program unable to read its own file.
bool isSavedLine(const std::string &contents, std::size_t start, std::size_t end) {
    std::size_t space = contents.rfind(' ', end - 1);
    if (space == std::string::npos || space < start)
        return false;
    std::size_t wordLength = space - start;
    std::size_t numberLength = end - space - 1;
    const std::size_t kLongestCount = 11; // "-2147483648"
    if (wordLength > static_cast<std::size_t>(WordTrie::kMaxLineLength) || numberLength > kLongestCount)
        return false;
    return readCount(contents.substr(space + 1, numberLength).c_str()) != 0;
}

bool readWholeFile(std::FILE *file, std::string &contents) {
    char block[65536];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        contents.append(block, got);
    return !std::ferror(file);
}

} // namespace

void WordTrie::load() {
    std::FILE *file = openFile(path_, "rb");
    if (!file)
        file = openFile(path_ + ".bak", "rb");
    if (!file) {
        loadFailed = true;
        return;
    }
    std::string contents;
    bool complete = readWholeFile(file, contents);
    std::fclose(file);
    // Words read before a read error stay, but the file must not be rewritten from them.
    if (!complete)
        readIncomplete_ = true;

    std::string line; // one buffer for every line, so that loading allocates per node only
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        std::size_t next = end == std::string::npos ? contents.size() : end + 1;
        if (end == std::string::npos)
            end = contents.size();
        else if (end > start && contents[end - 1] == '\r')
            --end; // a CR before the LF is not part of the line
        if (end - start > static_cast<std::size_t>(kMaxLineLength) && !isSavedLine(contents, start, end)) {
            // The rest of the file was never read: keep the file as it is rather than rewrite it
            // without those lines.
            loadFailed = true;
            readIncomplete_ = true;
            return;
        }
        line.assign(contents, start, end - start);
        takeLine(line);
        start = next;
    }
}

// A line is a word and its count after the last space, or a plain word of 4 characters or more.
// When the text after the last space is no number the whole line is one entry, spaces included.
void WordTrie::takeLine(std::string &line) {
    std::size_t space = line.rfind(' ');
    if (space == std::string::npos) {
        if (line.size() >= 4)
            addWord(line.c_str(), 1, nullptr);
        return;
    }
    int32_t count = readCount(line.c_str() + space + 1);
    if (count == 0) {
        addWord(line.c_str(), 1, nullptr);
        return;
    }
    if (space < 4)
        return;
    line[space] = '\0';
    addWord(line.c_str(), count, nullptr);
}

void WordTrie::save() {
    if (path_.empty() || readIncomplete_)
        return;
    std::string contents;
    if (root_) {
        word_.clear();
        saveNode(root_, contents);
    }
    if (!replaceFileContents(path_, contents))
        std::fprintf(stderr, "Warning opening file %s\n", path_.c_str());
}

// Depth first in cell order; a word that ends at an inner node follows every word below it.
void WordTrie::saveNode(TrieNode *node, std::string &contents) {
    char number[16];
    if (node->isLeaf) {
        if (node->count >= 1) {
            std::snprintf(number, sizeof number, " %d\r\n", static_cast<int>(node->count));
            contents += word_;
            contents += node->text;
            contents += number;
        }
        return;
    }
    NonLeafNode *inner = static_cast<NonLeafNode *>(node);
    for (int i = 0; inner->text[i]; ++i) {
        if (!inner->children[i])
            continue;
        word_.push_back(inner->text[i]);
        saveNode(inner->children[i], contents);
        word_.pop_back();
    }
    if (inner->isWordEnd && inner->count >= 1) {
        std::snprintf(number, sizeof number, " %d\r\n", static_cast<int>(inner->count));
        contents += word_;
        contents += number;
    }
}

#include "completion/suggestion_rows.h"

#include "common/ascii_case.h"
#include "common/thread_mutex.h"
#include "vocabulary/word_store.h"

namespace {

std::string upperCased(std::string word) {
    for (char &ch : word)
        ch = upperAscii(ch);
    return word;
}

// The rows show the suggestion in upper case while every typed letter was a capital, except
// after a single letter, which may just start a sentence; a correction as its pick types it.
std::string shownWord(const WordStore &store, int index) {
    const std::string &word = store.suggestions()[index].text;
    if (store.isCorrection(index))
        return store.correctionAsTyped(word);
    return store.capitalsMode() && store.typedLength() != 1 ? upperCased(word) : word;
}

int rowsPerPage(const WordStore &store) {
    int size = static_cast<int>(store.suggestions().size());
    return store.pageSize() < size ? store.pageSize() : size;
}

} // namespace

bool formatSuggestions(WordStore &store, std::string &text) {
    ThreadMutexLock lock(store.lock(), store.lock().tryWait());
    if (!lock.acquired())
        return false;
    const std::vector<suggestion> &list = store.suggestions();
    if (store.typedLength() == 0 || list.empty())
        return false;
    int rows = rowsPerPage(store);
    size_t typed = static_cast<size_t>(store.typedLength());
    for (int b = store.pageStart(); b < store.pageEnd(); ++b) {
        std::string word = shownWord(store, b);
        text += std::to_string((b + 1) % rows);
        if (store.isCorrection(b)) {
            text += kCorrectionMark;
            text += ' ';
            text += word;
        } else {
            text += ". ";
            text += store.currentWord();
            if (word.size() > typed)
                text.append(word, typed, std::string::npos);
        }
        text += '\n';
    }
    return true;
}

bool measurePage(WordStore &store, std::string &longestWord, int &rowCount) {
    longestWord.clear();
    rowCount = 0;
    ThreadMutexLock lock(store.lock(), store.lock().tryWait());
    if (!lock.acquired())
        return false;
    const std::vector<suggestion> &list = store.suggestions();
    int longest = -1;
    for (int b = store.pageStart(); b < store.pageEnd(); ++b)
        if (longest < 0 || list[b].text.size() > list[longest].text.size())
            longest = b;
    if (longest >= 0)
        longestWord = shownWord(store, longest);
    rowCount = rowsPerPage(store);
    return true;
}

RowParts splitRow(const std::string &line, int typedLength) {
    RowParts parts;
    size_t n = line.size();
    size_t typed = typedLength > 0 ? static_cast<size_t>(typedLength) : 0;
    parts.number = line.substr(0, n < 3 ? n : 3);
    if (n < 3)
        return parts;
    if (line[1] == kCorrectionMark) {
        parts.correction = true;
        parts.rest = line.substr(3);
        return parts;
    }
    if (n >= typed + 3) {
        parts.typed = line.substr(3, typed);
        parts.rest = line.substr(typed + 3);
    } else {
        parts.typed = line.substr(3);
    }
    return parts;
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

int footerIconX(int maxLineLength, int charWidth) {
    int x = (maxLineLength - 13) * charWidth / 2;
    return x < 4 ? 4 : x;
}

#include "launcher/use_count_file.h"

#include "common/atomic_file.h"
#include "common/file_contents.h"

#include <climits>
#include <cstdio>

namespace {

// atoi's reading (leading blanks, optional sign, digits up to the first other byte, 0 without
// digits), held to the 32-bit range instead of overflowing on a long run of digits.
int32_t readCount(const std::string &text, size_t at) {
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > int64_t(INT32_MAX) + 1)
            value = int64_t(INT32_MAX) + 1;
    }
    if (negative)
        return int32_t(-value);
    return value > INT32_MAX ? INT32_MAX : int32_t(value);
}

} // namespace

void parseUseCounts(const std::string &bytes, UseCountMap &counts) {
    size_t lineStart = 0;
    while (lineStart < bytes.size()) {
        size_t lineEnd = bytes.find('\n', lineStart);
        size_t next = lineEnd == std::string::npos ? bytes.size() : lineEnd + 1;
        if (lineEnd == std::string::npos)
            lineEnd = bytes.size();
        // CR LF is the file's own line end; a bare LF is read as well.
        if (lineEnd > lineStart && bytes[lineEnd - 1] == '\r')
            --lineEnd;
        std::string line = bytes.substr(lineStart, lineEnd - lineStart);
        size_t tab = line.rfind('\t');
        if (tab != std::string::npos)
            counts[line.substr(0, tab)] = readCount(line, tab + 1);
        lineStart = next;
    }
}

std::string formatUseCounts(const UseCountMap &counts) {
    std::string bytes;
    char number[16];
    for (const auto &entry : counts) {
        snprintf(number, sizeof number, "%ld", long(entry.second));
        bytes += entry.first;
        bytes += '\t';
        bytes += number;
        bytes += "\r\n";
    }
    return bytes;
}

bool loadUseCountFile(const std::string &path, UseCountMap &counts) {
    std::string bytes;
    if (!readFileContents(path, bytes))
        return false;
    parseUseCounts(bytes, counts);
    return true;
}

bool saveUseCountFile(const std::string &path, const UseCountMap &counts) {
    return replaceFileContents(path, formatUseCounts(counts));
}

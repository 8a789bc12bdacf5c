#include "harvest/text_lines.h"

#include <fstream>
#include <iterator>

std::vector<std::string> splitTextLines(const std::string &bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        size_t stop = end;
        if (stop > start && end < bytes.size() && bytes[stop - 1] == '\r')
            --stop;
        lines.emplace_back(bytes, start, stop - start);
        start = end + 1;
    }
    return lines;
}

bool readWholeFile(const std::string &path, std::string &bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

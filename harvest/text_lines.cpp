#include "harvest/text_lines.h"


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

#include "launcher/web_search.h"

std::vector<WebSearchEntry> builtInWebSearches() {
    // The engines' hosts; the paths and query keys are the engines' own.
    return {
        {"  Google Search", "http://www.google.com/search?q="},
        {"  Yahoo Search", "http://search.yahoo.com/search?p="},
        {"  MSN Search", "http://search.msn.com/results.aspx?q="},
    };
}

int webSearchIconId(int row) { return 143 + row; }

std::string webSearchDomain(const std::string &urlPrefix) {
    size_t hostStart = urlPrefix.find("://");
    hostStart = hostStart == std::string::npos ? 0 : hostStart + 3;
    size_t hostEnd = urlPrefix.find_first_of("/?#:", hostStart);
    std::string host = urlPrefix.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
    size_t lastDot = host.rfind('.');
    if (lastDot == std::string::npos || lastDot == 0)
        return host;
    size_t previousDot = host.rfind('.', lastDot - 1);
    return previousDot == std::string::npos ? host : host.substr(previousDot + 1);
}

std::string webSearchAddress(const std::string &urlPrefix, const std::string &query) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string address = urlPrefix;
    for (char ch : query) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (byte == ' ') {
            address += '+';
        } else if (byte < 0x20 || byte >= 0x7f || byte == '#' || byte == '&' || byte == '+' || byte == '%' ||
                   byte == '?') {
            // Left as they are these would end the query ('#'), start another parameter ('&'), read
            // as a space ('+') or as an escape ('%'); control and 8-bit bytes are not valid in an
            // address at all.
            address += '%';
            address += kHex[byte >> 4];
            address += kHex[byte & 15];
        } else {
            address += ch;
        }
    }
    return address;
}

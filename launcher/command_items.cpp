#include "launcher/command_items.h"

#include <cstring>

const char kTokenSeparators[] = "\\:/-._ ";

namespace {

const size_t kTitleColumn = 50;  // bytes of a title shown
const size_t kSecondColumn = 55; // bytes of an address, or of a folder column with its name
const char kTitleSeparator[] = "\t\t";

bool isSeparator(char ch) { return ch != '\0' && std::strchr(kTokenSeparators, ch) != nullptr; }

} // namespace

std::vector<std::string> splitWords(const std::string &text, size_t minLength) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isSeparator(text[at]))
            ++at;
        size_t start = at;
        while (at < text.size() && !isSeparator(text[at]))
            ++at;
        if (at > start && at - start >= minLength)
            words.push_back(text.substr(start, at - start));
    }
    return words;
}

std::string itemTarget(const std::string &item) {
    size_t tabs = item.find(kTitleSeparator);
    return tabs == std::string::npos ? item : item.substr(0, tabs);
}

std::string launchKey(const std::string &item) {
    size_t lastDot = item.rfind('.');
    size_t lastBackslash = item.rfind('\\');
    if (lastBackslash == std::string::npos || lastDot == std::string::npos || lastDot < lastBackslash)
        return item;
    std::string extension = item.substr(lastDot + 1);
    lowerAscii(extension);
    if (extension != "exe" && extension != "lnk")
        return item;
    std::string name = item.substr(lastBackslash + 1, lastDot - lastBackslash - 1);
    lowerAscii(name);
    return name;
}

std::string addressHost(const std::string &address) {
    const size_t scheme = address.find("://");
    if (scheme == std::string::npos)
        return std::string();
    const size_t start = scheme + 3;
    size_t end = address.find_first_of("/?#", start);
    std::string host = address.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t user = host.rfind('@');
    if (user != std::string::npos)
        host.erase(0, user + 1);
    const size_t port = host.rfind(':');
    if (port != std::string::npos && host.find(']') == std::string::npos)
        host.erase(port);
    std::string lowered = loweredAscii(host);
    if (lowered.compare(0, 4, "www.") == 0)
        host.erase(0, 4);
    return host;
}

DisplayRow displayRowForItem(const std::string &item) {
    DisplayRow row;
    size_t tabs = item.find(kTitleSeparator);
    if (tabs != std::string::npos) {
        row.target = item.substr(0, tabs);
        row.text = item.substr(tabs + 2, kTitleColumn) + '\t' + row.target.substr(0, kSecondColumn);
        return row;
    }
    row.target = item;
    size_t last = item.rfind('\\');
    if (last == std::string::npos) {
        row.text = item;
        return row;
    }
    // The column starts at the first backslash, so a drive letter is never shown; leading folders
    // go whole while the column and name are too long, but the last folder always stays.
    size_t start = item.find('\\');
    while (start < last && item.size() - start > kSecondColumn) {
        size_t next = item.find('\\', start + 1);
        if (next == last)
            break;
        start = next;
    }
    row.text = item.substr(last + 1) + '\t' + item.substr(start, last - start + 1);
    return row;
}

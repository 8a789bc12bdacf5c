#include "launcher/open_windows.h"

#include "common/ascii_case.h"
#include "launcher/name_initials.h"

namespace {

const size_t kTitleColumn = 50; // bytes of a title shown, as for bookmarks

bool isWordByte(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch >= 0x80;
}

void appendWords(const std::string &text, std::vector<std::string> &words) {
    const std::string lowered = loweredAscii(text);
    size_t at = 0;
    while (at < lowered.size()) {
        while (at < lowered.size() && !isWordByte(static_cast<unsigned char>(lowered[at])))
            ++at;
        const size_t start = at;
        while (at < lowered.size() && isWordByte(static_cast<unsigned char>(lowered[at])))
            ++at;
        if (at > start)
            words.push_back(lowered.substr(start, at - start));
    }
}

std::string programName(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool beginsWith(const std::string &text, const std::string &prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

bool windowMatches(const OpenWindow &window, const std::vector<std::string> &queryWords) {
    if (queryWords.empty())
        return false;
    std::vector<std::string> words;
    appendWords(window.title, words);
    const std::string program = programName(window.programPath);
    appendWords(program.substr(0, program.rfind('.')), words);
    const std::string initials = nameInitials("\t\t" + window.title);
    for (const std::string &query : queryWords) {
        bool found = false;
        for (const std::string &word : words)
            found = found || beginsWith(word, query);
        for (size_t start = 0; !found && query.size() >= 2 && start + query.size() <= initials.size(); ++start)
            found = initials.compare(start, query.size(), query) == 0;
        if (!found)
            return false;
    }
    return true;
}

std::string windowRowText(const OpenWindow &window) {
    return window.title.substr(0, kTitleColumn) + '\t' + programName(window.programPath);
}

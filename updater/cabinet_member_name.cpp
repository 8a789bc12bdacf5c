#include "updater/cabinet_member_name.h"

#include <cctype>

namespace {

const size_t kMaximumNameLength = 255;

std::string lowerCase(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool hasForbiddenCharacter(const std::string &name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
        switch (c) {
        case '<':
        case '>':
        case '"':
        case '|':
        case '?':
        case '*':
            return true;
        default:
            break;
        }
    }
    return false;
}

// Windows opens a device for these names whatever their extension ("nul.txt" is NUL).
bool isDeviceName(const std::string &name) {
    std::string stem = lowerCase(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul" || stem == "conin$" || stem == "conout$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

bool isInstalledFileName(const std::string &name) {
    std::string lower = lowerCase(name);
    return lower == "wordlark.exe" || lower == "larkhook.dll";
}

} // namespace

std::string safeMemberName(const std::string &nameInCabinet) {
    // Keep only what follows the last folder separator or drive colon.
    size_t cut = nameInCabinet.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? nameInCabinet : nameInCabinet.substr(cut + 1);

    // Windows drops trailing dots and spaces itself; doing it here makes "..", "." and ". ." empty.
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();

    if (name.empty() || name.size() > kMaximumNameLength || hasForbiddenCharacter(name) || isDeviceName(name) ||
        isInstalledFileName(name))
        return std::string();
    return name;
}

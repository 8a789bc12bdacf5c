#include "launcher/name_initials.h"

namespace {

bool isLower(unsigned char ch) { return ch >= 'a' && ch <= 'z'; }
bool isUpper(unsigned char ch) { return ch >= 'A' && ch <= 'Z'; }
bool isWordByte(unsigned char ch) { return isLower(ch) || isUpper(ch) || (ch >= '0' && ch <= '9') || ch >= 0x80; }

std::string_view itemName(std::string_view item) {
    const size_t tabs = item.find("\t\t");
    if (tabs != std::string_view::npos)
        return item.substr(tabs + 2);
    const size_t slash = item.rfind('\\');
    std::string_view name = slash == std::string_view::npos ? item : item.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

std::string nameInitials(std::string_view item) {
    std::string initials;
    unsigned char previous = ' ';
    for (char byte : itemName(item)) {
        const unsigned char ch = static_cast<unsigned char>(byte);
        const bool starts = isWordByte(ch) && (!isWordByte(previous) || (isUpper(ch) && isLower(previous)));
        if (starts) {
            if (initials.size() == kMaxInitials)
                break;
            initials += char(isUpper(ch) ? ch - 'A' + 'a' : ch);
        }
        previous = ch;
    }
    return initials;
}

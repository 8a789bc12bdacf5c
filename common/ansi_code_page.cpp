// The host build's code page: Latin-1, whose bytes are the first 256 characters.
#include "common/ansi_code_page.h"

std::string utf8FromAnsi(const std::string &ansi) {
    std::string utf8;
    for (unsigned char ch : ansi) {
        if (ch < 0x80) {
            utf8 += static_cast<char>(ch);
        } else {
            utf8 += static_cast<char>(0xC0 | ch >> 6);
            utf8 += static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return utf8;
}

bool ansiFromUtf8(const std::string &utf8, std::string &ansi) {
    ansi.clear();
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(utf8[i]);
        if (ch < 0x80) {
            ansi += static_cast<char>(ch);
            continue;
        }
        const unsigned char next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
        if ((ch != 0xC2 && ch != 0xC3) || (next & 0xC0) != 0x80)
            return false;
        ansi += static_cast<char>((ch & 0x03) << 6 | (next & 0x3F));
        ++i;
    }
    return true;
}

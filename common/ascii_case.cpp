#include "common/ascii_case.h"

void lowerAscii(std::string &text) {
    for (char &ch : text)
        ch = lowerAscii(ch);
}

std::string loweredAscii(const std::string &text) {
    std::string out = text;
    lowerAscii(out);
    return out;
}

bool equalIgnoringAsciiCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

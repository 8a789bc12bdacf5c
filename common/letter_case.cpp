#include "common/letter_case.h"

#include <cstring>

namespace {

struct CaseTables {
    unsigned char lower[256];
    unsigned char upper[256];

    CaseTables() {
        for (int ch = 0; ch < 256; ++ch)
            lower[ch] = upper[ch] = static_cast<unsigned char>(ch);
        pair('A', 'a', 26);
        // Windows-1252: Š Œ Ž, À to Þ but ×, and Ÿ.
        pair(0x8A, 0x9A, 1);
        pair(0x8C, 0x9C, 1);
        pair(0x8E, 0x9E, 1);
        pair(0xC0, 0xE0, 0x17);
        pair(0xD8, 0xF8, 7);
        pair(0x9F, 0xFF, 1);
    }
    void pair(int upperFirst, int lowerFirst, int count) {
        for (int i = 0; i < count; ++i) {
            lower[upperFirst + i] = static_cast<unsigned char>(lowerFirst + i);
            upper[lowerFirst + i] = static_cast<unsigned char>(upperFirst + i);
        }
    }
};

CaseTables &tables() {
    static CaseTables made;
    return made;
}

} // namespace

char lowerLetter(char ch) { return static_cast<char>(tables().lower[static_cast<unsigned char>(ch)]); }

char upperLetter(char ch) { return static_cast<char>(tables().upper[static_cast<unsigned char>(ch)]); }

void setLetterCase(const unsigned char lower[256], const unsigned char upper[256]) {
    std::memcpy(tables().lower, lower, sizeof tables().lower);
    std::memcpy(tables().upper, upper, sizeof tables().upper);
}

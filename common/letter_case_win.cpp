#include "common/letter_case.h"

#include <windows.h>

void useSystemLetterCase() {
    unsigned char lower[256], upper[256];
    for (int ch = 0; ch < 256; ++ch)
        lower[ch] = upper[ch] = static_cast<unsigned char>(ch);
    // Byte by byte in the system's ANSI code page; a byte that is no letter there (or a lead byte
    // of a double-byte code page, whose letters are not typed into words) stays as it is.
    CharLowerBuffA(reinterpret_cast<char *>(lower + 1), 255);
    CharUpperBuffA(reinterpret_cast<char *>(upper + 1), 255);
    // Only a pair that maps back counts, so that lower and upper case stay each other's inverse.
    for (int ch = 1; ch < 256; ++ch) {
        if (upper[lower[ch]] != ch && lower[ch] != ch)
            lower[ch] = static_cast<unsigned char>(ch);
        if (lower[upper[ch]] != ch && upper[ch] != ch)
            upper[ch] = static_cast<unsigned char>(ch);
    }
    setLetterCase(lower, upper);
}

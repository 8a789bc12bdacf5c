#include "harvest/utf8_to_ansi_win.h"

#include <windows.h>

#include <climits>

std::string utf8ToAnsi(const std::string &utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX)
        return std::string();
    int length = static_cast<int>(utf8.size());
    // Without MB_ERR_INVALID_CHARS a bad sequence becomes U+FFFD, which no ANSI code page has.
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return std::string();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &wide[0], wideLength);
    int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0)
        return std::string();
    std::string ansi(static_cast<size_t>(ansiLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &ansi[0], ansiLength, nullptr, nullptr);
    return ansi;
}

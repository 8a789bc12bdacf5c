#include "launcher/launcher_platform.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>

bool shortPathNameA(const std::string &longPath, std::string &shortPath) {
    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA(longPath.c_str(), buffer, MAX_PATH);
    // A length of MAX_PATH or more is the size the short form would need: it did not fit.
    if (length == 0 || length >= MAX_PATH)
        return false;
    shortPath.assign(buffer, length);
    return true;
}

void shellExecuteRequestA(const ShellOpenRequest &request) {
    auto orNull = [](const std::string &text) { return text.empty() ? nullptr : text.c_str(); };
    // The result is not examined: a target the shell cannot open is not reported.
    ShellExecuteA(nullptr, orNull(request.verb), request.file.c_str(), orNull(request.parameters),
                  orNull(request.directory), SW_SHOWNORMAL);
}

std::string ansiToUtf8(const std::string &ansi) {
    if (ansi.empty())
        return ansi;
    // The conversion functions count in int; the queries are at most 259 bytes.
    const int ansiLength = static_cast<int>(std::min<size_t>(ansi.size(), INT_MAX));
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, nullptr, 0);
    if (wideLength <= 0)
        return ansi;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, &wide[0], wideLength);
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0)
        return ansi;
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr, nullptr);
    return utf8;
}

#include "launcher/launcher_platform.h"

#include <windows.h>
#include <shellapi.h>

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

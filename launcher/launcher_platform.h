#pragma once

#include "launcher/directory_lister.h"

#include <cstdint>
#include <functional>
#include <string>

// What the catalogue hands to the shell when a row is opened: ShellExecuteA with no owner window,
// `verb` (empty: the default action), `file`, `parameters` and `directory` (empty: none) and
// SW_SHOWNORMAL.
struct ShellOpenRequest {
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
};

// The request that opens an item's target: the target itself as the file, except a Control Panel
// item ("control.exe /name Microsoft.Sound"), whose program and arguments are passed apart.
ShellOpenRequest openRequestFor(const std::string &target);

// Gives the short 8.3 form of an existing folder path. Returns false when the system has none
// (missing folder, or a short form that would not fit MAX_PATH); shortPath is then unspecified.
using ShortPathFunction = std::function<bool(const std::string &longPath, std::string &shortPath)>;

// Hands a request to the shell. The result of the shell is not examined, so there is no return.
using ShellOpenFunction = std::function<void(const ShellOpenRequest &request)>;

// Converts text in the system's ANSI code page to UTF-8.
using Utf8Function = std::function<std::string(const std::string &ansi)>;

// The time now, in seconds since 1970 (UTC).
using ClockFunction = std::function<int64_t()>;

// Puts text (ANSI) on the clipboard; false when the clipboard could not be had.
using CopyTextFunction = std::function<bool(const std::string &text)>;

// Brings the window of a handle (open_windows.h) to the front, restored when minimised; false
// when it is gone or Windows refused.
using ShowWindowFunction = std::function<bool(uint64_t handle)>;

// The platform services the portable catalogue needs. An empty function means "not available":
// no short form (items keep their long paths), nothing can be listed, nothing can be opened, text
// is taken to be UTF-8 already, the time is the C library's, no clipboard and no windows.
struct LauncherPlatform {
    ShortPathFunction shortPath;
    DirectoryLister listDirectory;
    ShellOpenFunction shellOpen;
    Utf8Function toUtf8;
    ClockFunction now;
    CopyTextFunction copyText;
    ShowWindowFunction showWindow;
};

// Win32 side, defined in launcher/shell_functions_win.cpp (Windows build only):
// GetShortPathNameA with a buffer of MAX_PATH bytes (a result that does not fit is a failure)...
bool shortPathNameA(const std::string &longPath, std::string &shortPath);
// ...ShellExecuteA as ShellOpenRequest describes...
void shellExecuteRequestA(const ShellOpenRequest &request);
// ...and CP_ACP to UTF-8 through UTF-16 (text that does not convert is returned unchanged).
std::string ansiToUtf8(const std::string &ansi);
// The clipboard and the windows: launcher/clipboard_win.cpp and launcher/open_windows_win.cpp.
bool copyTextToClipboard(const std::string &text);
bool bringWindowToFront(uint64_t handle);

// The services of this build: on Windows shortPathNameA, listDirectoryA, shellExecuteRequestA,
// ansiToUtf8, copyTextToClipboard and bringWindowToFront; on the host build empty functions. The catalogue built with a result limit alone uses these.
LauncherPlatform defaultLauncherPlatform();

#pragma once

#include <cstdint>
#include <vector>

// The pages of Windows' own settings that Quick Search finds like any other item: the Settings
// app's pages ("ms-settings:bluetooth") on Windows 10 and 11, and the classic Control Panel items
// by their canonical names ("control.exe /name Microsoft.DevicesAndPrinters"), each with the
// words people look for it by, beyond those of its title.

// The releases a page belongs to, as bits.
enum WindowsRelease : uint8_t {
    kWindows7 = 1,
    kWindows8 = 2, // 8 and 8.1
    kWindows10 = 4,
    kWindows11 = 8,
};

struct SystemPage {
    const char *target;   // what the shell opens
    const char *title;    // the row's text
    const char *keywords; // further words it is found by, not shown
    uint8_t releases;     // WindowsRelease bits
};

// The release of a Windows version: 6.1 is 7, 6.2 and 6.3 are 8, 10.0 is 10 below build 22000 and
// 11 from it on (and anything later); 0 for earlier versions, which have none of these pages.
WindowsRelease windowsReleaseOf(uint32_t major, uint32_t minor, uint32_t build);

// The pages of a release, in a fixed order; none for 0.
std::vector<SystemPage> systemPagesOf(WindowsRelease release);

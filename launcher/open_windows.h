#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A top-level window open on the desktop, as the command window lists them when it is shown
// (open_windows_win.h): Quick Search offers to bring it to the front.
struct OpenWindow {
    uint64_t handle = 0;     // the window's handle, as a number
    std::string title;       // its title in the ANSI code page
    std::string programPath; // the executable of its process; empty when it cannot be asked
};

// Whether every query word (lowered, as the search cuts them) begins a word of the window's title
// or of its program's name, or begins the initials of the title from one of its words on ("un"
// for "Untitled - Notepad"). Title words end at every byte that is not a letter or digit (bytes
// above 127 count as letters). No words match no window.
bool windowMatches(const OpenWindow &window, const std::vector<std::string> &queryWords);

// The list row of a window: its title (cut as titles are) and, in grey, its program's file name.
std::string windowRowText(const OpenWindow &window);

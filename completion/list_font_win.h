#pragma once

#include <windows.h>

// The list's font at the DPI of the monitor it is shown on: the system font's face, its size
// scaled from the system's DPI to the monitor's, with the metrics the list is measured by. Made
// once per DPI (one per monitor scale) and kept while the program runs. User-interface thread only.
struct ListFont {
    HFONT font = nullptr;
    bool known = false;
    int averageWidth = 0, height = 0;
    INT widths[256] = {};
};
const ListFont &listFontFor(HWND window, UINT dpi);

// The DPI the list is shown at now: set where it is placed, read where it is painted.
void setListDpi(UINT dpi);
UINT listDpi();

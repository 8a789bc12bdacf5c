#pragma once

#include <windows.h>

// The program declares itself aware of each monitor's DPI (its manifest), so its coordinates and
// sizes are physical pixels. These read what that needs from Windows versions that have it, and
// fall back to one DPI for the whole screen (and no conversions) on those that do not.

const UINT kDefaultDpi = 96;

// The DPI of the monitor that holds the point (physical screen coordinates), or the nearest one.
UINT dpiOfMonitorAt(POINT point);

// The DPI of the monitor that holds most of the window.
UINT dpiOfWindow(HWND window);

// A value given in pixels at 96 DPI, for the given DPI.
inline int scaleForDpi(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kDefaultDpi); }

// A screen point as another program gave it, in the coordinates of its window (logical ones when
// that program is not aware of the monitor's DPI), as physical screen coordinates.
POINT physicalPointOf(HWND window, POINT point);

// The work area (the screen without its task bars) of the monitor that holds the point, or the
// nearest one; false when it cannot be read.
bool workAreaAt(POINT point, RECT &workArea);

#pragma once

#include <windows.h>

#include <string>

// The rows of the command window's combo box: filling, measuring and drawing them.

// The item data of a row says which icon it shows: an index of the system image list, or a
// search engine's icon resource (143 to 145) marked as such. The two must not meet: the system
// image list easily holds more than 143 icons, and a file with one of those would be drawn with a
// search engine's icon.
LPARAM webSearchIconData(int row);
bool isWebSearchIconData(LPARAM itemData);
// The icon resource of item data for which isWebSearchIconData holds.
int webSearchIconResource(LPARAM itemData);

// Closes and empties the list, searches the catalogue for the edit text, appends the web-search
// rows and the matches with their icons, and drops the list down.
void fillCommandList(HWND combo);

// Item data for a row target: the shell's small icon of the target (of control.exe for a page of
// Windows' settings), else a search engine's icon when the target holds its domain, else the icon
// of ".htm" files, else 0.
LPARAM rowIconData(const std::string &target);
// Item data for the calculator's row: the icon of Windows' calculator, else 0.
LPARAM calculatorIconData();

// Row height: the larger of 16 and the combo font's tmHeight + tmInternalLeading. Returns the
// vertical offset of the 16-pixel icon inside the row.
int measureCommandRow(HWND combo, MEASUREITEMSTRUCT &measure);

// Draws one row: main column in the window text colour, the part after the tab in grey, the icon
// at the left, `iconOffset` pixels below the row top.
void drawCommandRow(const DRAWITEMSTRUCT &draw, int iconOffset);

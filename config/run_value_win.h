#pragma once

#include <windows.h>

// The value under HKEY_CURRENT_USER's (or, with machineWide non-zero, HKEY_LOCAL_MACHINE's)
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Run" key that starts a program with Windows. Each
// operation opens the existing key (never creating it), does its one thing and closes it; true on
// success, false when the key does not open or the operation fails.

// True when the value exists.
bool runValueExists(const char *valueName, int machineWide);
// Writes the value as REG_SZ holding `data` (UTF-8; written in UTF-16, so any path keeps its name).
bool writeRunValue(const char *valueName, const char *data, int machineWide);
bool deleteRunValue(const char *valueName, int machineWide);
// Writes the full path of `instance`'s module, without quotes or arguments, as the value.
bool addStartupValue(HINSTANCE instance, const char *valueName, int machineWide);

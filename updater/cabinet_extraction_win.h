#pragma once

#include <windows.h>

#include <setupapi.h>

// The SetupIterateCabinetA handler: every member goes into the target folder under its plain
// file name (see safeMemberName); members without a safe name are skipped. The context is the
// target folder ending with a backslash, or null for the program folder.
UINT CALLBACK cabinetCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

// Extracts every member of the cabinet into `folder` (ending with a backslash; null for the
// program folder). On failure returns false and leaves the reason in `error`.
bool extractCabinetMembers(const char *cabinetPath, const char *folder, DWORD &error);

// Extracts the downloaded update cabinet into the program folder; on failure shows the system's
// text for the error and returns false.
bool extractUpdateCabinet(const char *cabinetPath);

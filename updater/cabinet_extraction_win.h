#pragma once

#include <windows.h>

#include <setupapi.h>

#include <string>

#include "updater/packaged_files.h"

// What this build installs: its own package, with images of the right processor for each file (a
// 64-bit hook library would never load into the 32-bit program), the 64-bit one with its helper.
#ifdef _WIN64
const UpdatePackage kThisBuildsPackage = UpdatePackage::SixtyFourBit;
#else
const UpdatePackage kThisBuildsPackage = UpdatePackage::ThirtyTwoBit;
#endif

// The program's own folder with its final backslash; empty when it cannot be told.
std::string runningProgramFolder();

// The SetupIterateCabinetA handler: this build's packaged files go into the target folder under
// their packaged names (see packagedMemberName); every other member is skipped. The context is the
// target folder ending with a backslash, or null for the program folder.
UINT CALLBACK cabinetCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

// Extracts the packaged files of the cabinet into `folder` (ending with a backslash; null for the
// program folder). On failure returns false and leaves the reason in `error`.
bool extractCabinetMembers(const char *cabinetPath, const char *folder, DWORD &error);

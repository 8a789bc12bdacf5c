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

// The program's own folder with its final backslash, in UTF-8 like every path; empty when it
// cannot be told.
std::string runningProgramFolder();

// The SetupIterateCabinetW handler: this build's packaged files go into the target folder under
// their packaged names (see packagedMemberName); every other member is skipped. The context is the
// target folder (UTF-8) ending with a backslash, or null for the program folder.
UINT CALLBACK cabinetCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

// Extracts the packaged files of the cabinet into `folder` (ending with a backslash; null for the
// program folder); both paths UTF-8. On failure returns false and leaves the reason in `error`.
bool extractCabinetMembers(const char *cabinetPath, const char *folder, DWORD &error);

// Tests' view of the moment between the checked bytes reaching the disk and their extraction.
struct HeldCabinetSeams {
    // After the bytes were written and the file closed, before it is held: a swap here is found.
    void (*written)(const char *path) = nullptr;
    // While the file is held: another process can neither write, replace nor delete it.
    void (*held)(const char *path) = nullptr;
};

// Extracts the packaged files of a cabinet whose bytes the caller has checked (its signature),
// into `folder` as extractCabinetMembers does. The bytes go to a temporary file, which is then held
// open for reading only, sharing reading only, and read back through that handle: extraction
// proceeds only when the held file is exactly the checked bytes, and nobody can change it until
// extraction is done, so what is extracted is what was checked. The file is deleted afterwards.
// On failure returns false with the reason in `error` (ERROR_FILE_CORRUPT when the file on disk was
// not the checked bytes).
bool extractHeldCabinet(const std::string &checkedBytes, const char *folder, DWORD &error,
                        const HeldCabinetSeams &seams = HeldCabinetSeams());

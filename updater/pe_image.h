#pragma once

#include <string>

// Which of our two deliverables a packaged file must be.
enum class PeImageKind {
    Program, // wordlark.exe: an executable image that is not a DLL
    Library, // larkhook.dll: an executable image flagged as a DLL
};

// True when `bytes` hold a complete 32-bit Windows PE image of the given kind: DOS and PE headers,
// an i386 PE32 optional header for a Windows subsystem, and a section table whose raw data all
// lie inside the bytes. A truncated download or a file of the wrong kind fails.
bool isCompletePeImage(const std::string &bytes, PeImageKind kind);

// Reads the file whole and checks it with isCompletePeImage; a missing or unreadable file fails.
bool fileIsCompletePeImage(const std::string &path, PeImageKind kind);

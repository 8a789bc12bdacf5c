#pragma once

#include <cstdint>
#include <string>

// Which of our two deliverables a packaged file must be.
enum class PeImageKind {
    Program, // wordlark.exe: an executable image that is not a DLL
    Library, // larkhook.dll: an executable image flagged as a DLL
};

// The processor a packaged file is built for; each build installs only images of its own.
enum class PeMachine {
    X86, // i386 machine, PE32 optional header
    X64, // AMD64 machine, PE32+ optional header
};

// True when `bytes` hold a complete Windows PE image of the given kind and machine: DOS and PE
// headers, the machine's optional header for a Windows subsystem, and a section table whose raw
// data all lie inside the bytes. A truncated download or a file of the wrong kind fails.
bool isCompletePeImage(const std::string &bytes, PeImageKind kind, PeMachine machine);

// Reads the file whole and checks it with isCompletePeImage; a missing or unreadable file fails.
bool fileIsCompletePeImage(const std::string &path, PeImageKind kind, PeMachine machine);

// The file version of a PE image's version resource (VS_FIXEDFILEINFO), as one number: the two
// high fields in the upper half, so a later version is a larger number. False when the bytes hold
// no image, no version resource, or one that runs past the bytes.
bool peFileVersion(const std::string &bytes, uint64_t &version);

// Reads the file whole and takes its version with peFileVersion.
bool filePeVersion(const std::string &path, uint64_t &version);

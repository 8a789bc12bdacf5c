#pragma once

#include "updater/pe_image.h"

#include <string>

// The two files an update carries: the cabinet holds each under its packaged name, which is moved
// to the installed name once both have been checked.
struct PackagedFile {
    const char *installed; // "wordlark.exe"
    const char *packaged;  // "wordlark.ex_"
    PeImageKind kind;
};

// The program file first: the hook library is replaced only after it.
extern const PackagedFile kPackagedFiles[2];

// The packaged name under which a member of the update cabinet is extracted, or an empty string
// for a member that is skipped. Only the two packaged files are ever taken (their names in any
// capitals, without a folder part); any other member (a DLL that the program would load from its
// folder, a program, a short 8.3 form of one of our names, a file in a folder) is skipped, so a
// cabinet can place nothing else in the program folder.
std::string packagedMemberName(const std::string &nameInCabinet);

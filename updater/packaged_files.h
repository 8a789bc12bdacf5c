#pragma once

#include "updater/pe_image.h"

#include <cstdint>
#include <string>
#include <vector>

// One file an update carries: the cabinet holds it under its packaged name, which is moved to the
// installed name once every file of the update has been checked.
struct PackagedFile {
    const char *installed; // "wordlark.exe"
    const char *packaged;  // "wordlark.ex_"
    PeImageKind kind;
    PeMachine machine;
};

// Which program an update is for: the 32-bit one (its program and hook library), or the 64-bit
// one, whose update also carries its 32-bit helper and the helper's library.
enum class UpdatePackage { ThirtyTwoBit, SixtyFourBit };

// The files of an update, in the order they are replaced: each program file before its library.
const std::vector<PackagedFile> &packagedFiles(UpdatePackage package);

// The packaged name under which a member of the update cabinet is extracted, or an empty string
// for a member that is skipped. Only the package's own packaged files are ever taken (their names
// in any capitals, without a folder part); any other member (a DLL that the program would load from
// its folder, a program, a short 8.3 form of one of our names, a file in a folder) is skipped, so a
// cabinet can place nothing else in the program folder.
std::string packagedMemberName(const std::string &nameInCabinet, UpdatePackage package);

// A release's number as the version resources hold it (MAJOR.MINOR.PATCH.0, the file version's
// four 16-bit fields), so that a later release is a larger number.
uint64_t releaseVersion(unsigned major, unsigned minor, unsigned patch);
// "MAJOR.MINOR.PATCH" of such a number.
std::string releaseVersionText(uint64_t version);

// What an update's files say against the running program: every file must carry the same version
// (a program with a hook library of another release may not start), and only a later release is
// installed, so whoever serves updates cannot bring back an older one and its faults.
enum class UpdateVersion { Newer, NotNewer, Mixed };
UpdateVersion judgeUpdateVersion(const std::vector<uint64_t> &fileVersions, uint64_t running);

#include "updater/packaged_files.h"

#include <cctype>

const PackagedFile kPackagedFiles[2] = {
    {"wordlark.exe", "wordlark.ex_", PeImageKind::Program},
    {"larkhook.dll", "larkhook.dl_", PeImageKind::Library},
};

std::string packagedMemberName(const std::string &nameInCabinet) {
    std::string lower = nameInCabinet;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const PackagedFile &file : kPackagedFiles) {
        if (lower == file.packaged)
            return file.packaged;
    }
    return std::string();
}

#include "updater/packaged_files.h"

#include <cctype>

const std::vector<PackagedFile> &packagedFiles(UpdatePackage package) {
    static const std::vector<PackagedFile> thirtyTwoBit = {
        {"wordlark.exe", "wordlark.ex_", PeImageKind::Program, PeMachine::X86},
        {"larkhook.dll", "larkhook.dl_", PeImageKind::Library, PeMachine::X86},
    };
    static const std::vector<PackagedFile> sixtyFourBit = {
        {"wordlark.exe", "wordlark.ex_", PeImageKind::Program, PeMachine::X64},
        {"larkhook.dll", "larkhook.dl_", PeImageKind::Library, PeMachine::X64},
        {"wordlark32.exe", "wordlark32.ex_", PeImageKind::Program, PeMachine::X86},
        {"larkhook32.dll", "larkhook32.dl_", PeImageKind::Library, PeMachine::X86},
    };
    return package == UpdatePackage::SixtyFourBit ? sixtyFourBit : thirtyTwoBit;
}

std::string packagedMemberName(const std::string &nameInCabinet, UpdatePackage package) {
    std::string lower = nameInCabinet;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const PackagedFile &file : packagedFiles(package)) {
        if (lower == file.packaged)
            return file.packaged;
    }
    return std::string();
}

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

uint64_t releaseVersion(unsigned major, unsigned minor, unsigned patch) {
    return static_cast<uint64_t>(major & 0xFFFF) << 48 | static_cast<uint64_t>(minor & 0xFFFF) << 32 |
           static_cast<uint64_t>(patch & 0xFFFF) << 16;
}

std::string releaseVersionText(uint64_t version) {
    return std::to_string(version >> 48 & 0xFFFF) + "." + std::to_string(version >> 32 & 0xFFFF) + "." +
           std::to_string(version >> 16 & 0xFFFF);
}

UpdateVersion judgeUpdateVersion(const std::vector<uint64_t> &fileVersions, uint64_t running) {
    if (fileVersions.empty())
        return UpdateVersion::Mixed;
    for (uint64_t version : fileVersions) {
        if (version != fileVersions.front())
            return UpdateVersion::Mixed;
    }
    return fileVersions.front() > running ? UpdateVersion::Newer : UpdateVersion::NotNewer;
}

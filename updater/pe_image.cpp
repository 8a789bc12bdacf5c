#include "updater/pe_image.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace {

// Offsets and values of the PE/COFF format that the check needs.
const uint64_t kDosHeaderSize = 64;
const uint64_t kPeHeaderOffsetField = 0x3C;
const uint64_t kFileHeaderSize = 20;
const uint64_t kSectionHeaderSize = 40;
const uint16_t kMachineI386 = 0x014C;
const uint16_t kMachineAmd64 = 0x8664;
const uint16_t kMagicPe32 = 0x010B;
const uint16_t kMagicPe32Plus = 0x020B;
const uint16_t kExecutableImage = 0x0002;
const uint16_t kDllImage = 0x2000;
const uint16_t kSubsystemWindowsGui = 2;
const uint16_t kSubsystemWindowsCui = 3;
const uint16_t kMaximumSections = 96;
// An installed program file larger than this is not one of ours.
const std::streamoff kMaximumFileSize = 256 * 1024 * 1024;

// Little-endian reads; the caller has checked that the bytes are there.
uint16_t read16(const std::string &bytes, uint64_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                             << 8);
}

uint32_t read32(const std::string &bytes, uint64_t at) {
    return static_cast<uint32_t>(read16(bytes, at)) | static_cast<uint32_t>(read16(bytes, at + 2)) << 16;
}

// What the file and optional headers say for each machine: the machine field, the optional
// header's magic and its fields before the data directories. The offsets checked below (size of
// the headers, subsystem) are the same in both forms.
struct MachineForm {
    uint16_t machine;
    uint16_t magic;
    uint64_t optionalHeaderMinimum;
};

MachineForm formOf(PeMachine machine) {
    return machine == PeMachine::X64 ? MachineForm{kMachineAmd64, kMagicPe32Plus, 112}
                                     : MachineForm{kMachineI386, kMagicPe32, 96};
}

bool kindMatches(uint16_t characteristics, PeImageKind kind) {
    if (!(characteristics & kExecutableImage))
        return false;
    bool isDll = (characteristics & kDllImage) != 0;
    return kind == PeImageKind::Library ? isDll : !isDll;
}

} // namespace

bool isCompletePeImage(const std::string &bytes, PeImageKind kind, PeMachine machineWanted) {
    const MachineForm form = formOf(machineWanted);
    const uint64_t size = bytes.size();
    if (size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z')
        return false;

    const uint64_t peHeader = read32(bytes, kPeHeaderOffsetField);
    const uint64_t fileHeader = peHeader + 4;
    const uint64_t optionalHeader = fileHeader + kFileHeaderSize;
    if (optionalHeader > size || bytes.compare(peHeader, 4, std::string("PE\0\0", 4)) != 0)
        return false;

    const uint16_t machine = read16(bytes, fileHeader);
    const uint16_t sectionCount = read16(bytes, fileHeader + 2);
    const uint16_t optionalSize = read16(bytes, fileHeader + 16);
    const uint16_t characteristics = read16(bytes, fileHeader + 18);
    if (machine != form.machine || !kindMatches(characteristics, kind))
        return false;
    if (sectionCount == 0 || sectionCount > kMaximumSections || optionalSize < form.optionalHeaderMinimum)
        return false;

    const uint64_t sectionTable = optionalHeader + optionalSize;
    const uint64_t sectionTableEnd = sectionTable + sectionCount * kSectionHeaderSize;
    if (sectionTableEnd > size)
        return false;

    const uint16_t magic = read16(bytes, optionalHeader);
    const uint32_t headersSize = read32(bytes, optionalHeader + 60);
    const uint16_t subsystem = read16(bytes, optionalHeader + 68);
    if (magic != form.magic || headersSize > size)
        return false;
    if (subsystem != kSubsystemWindowsGui && subsystem != kSubsystemWindowsCui)
        return false;

    // Every section's raw data must be inside the file: a cut-off download fails here.
    for (uint64_t section = sectionTable; section < sectionTableEnd; section += kSectionHeaderSize) {
        const uint64_t rawSize = read32(bytes, section + 16);
        const uint64_t rawOffset = read32(bytes, section + 20);
        if (rawSize != 0 && rawOffset + rawSize > size)
            return false;
    }
    return true;
}

bool fileIsCompletePeImage(const std::string &path, PeImageKind kind, PeMachine machine) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length <= 0 || length > kMaximumFileSize)
        return false;
    in.seekg(0, std::ios::beg);
    std::string bytes(static_cast<size_t>(length), '\0');
    if (!in.read(&bytes[0], length))
        return false;
    return isCompletePeImage(bytes, kind, machine);
}

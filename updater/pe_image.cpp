#include "updater/pe_image.h"

#include <cstdint>
#include <cstdio>

#include "common/file_access.h"

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

// Where the resource directory's data directory lies in each optional header form.
const uint64_t kDataDirectoryCountPe32 = 92;
const uint64_t kDataDirectoryCountPe32Plus = 108;
const uint32_t kResourceDirectory = 2;
const uint32_t kResourceTypeVersion = 16;
const uint32_t kSubdirectoryFlag = 0x80000000u;
const uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
// VS_VERSIONINFO: three WORDs, then the key "VS_VERSION_INFO" in UTF-16 with its NUL, padded to
// four bytes, then the fixed part.
const uint64_t kFixedFileInfoOffset = 40;
const uint64_t kFixedFileInfoSize = 52;
// Resource directories nest three deep (type, name, language); any deeper is not a version.
const int kResourceLevels = 3;

bool fits(uint64_t at, uint64_t length, uint64_t size) { return at <= size && length <= size - at; }

bool readFile(const std::string &path, std::string &bytes) {
    std::FILE *file = openFile(path, "rb");
    if (!file)
        return false;
    // Images are far below 2 GiB, so the C library's long offsets reach every one worth reading.
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    bool whole = length > 0 && length <= kMaximumFileSize && std::fseek(file, 0, SEEK_SET) == 0;
    if (whole) {
        bytes.assign(static_cast<size_t>(length), '\0');
        whole = std::fread(&bytes[0], 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return whole;
}

// The file offset of a relative virtual address, through the section that holds it.
bool offsetOfRva(const std::string &bytes, uint64_t sectionTable, uint16_t sectionCount, uint32_t rva,
                 uint64_t &offset) {
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint64_t section = sectionTable + i * kSectionHeaderSize;
        const uint64_t virtualSize = read32(bytes, section + 8);
        const uint64_t virtualAddress = read32(bytes, section + 12);
        const uint64_t rawSize = read32(bytes, section + 16);
        const uint64_t rawOffset = read32(bytes, section + 20);
        const uint64_t extent = virtualSize > rawSize ? virtualSize : rawSize;
        if (rva >= virtualAddress && rva < virtualAddress + extent) {
            offset = rawOffset + (rva - virtualAddress);
            return offset < bytes.size();
        }
    }
    return false;
}

// The first entry of a resource directory, or the one with the given id; its target's offset
// within the resource section and whether that is another directory.
bool resourceEntry(const std::string &bytes, uint64_t section, uint64_t directory, const uint32_t *id,
                   uint32_t &target, bool &isDirectory) {
    if (!fits(section + directory, 16, bytes.size()))
        return false;
    const uint64_t named = read16(bytes, section + directory + 12);
    const uint64_t numbered = read16(bytes, section + directory + 14);
    const uint64_t entries = section + directory + 16;
    if (!fits(entries, (named + numbered) * 8, bytes.size()))
        return false;
    // Named entries come first; a version resource has a number.
    for (uint64_t i = id ? named : 0; i < named + numbered; ++i) {
        const uint64_t entry = entries + i * 8;
        if (id && read32(bytes, entry) != *id)
            continue;
        const uint32_t offset = read32(bytes, entry + 4);
        target = offset & ~kSubdirectoryFlag;
        isDirectory = (offset & kSubdirectoryFlag) != 0;
        return true;
    }
    return false;
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
    std::string bytes;
    return readFile(path, bytes) && isCompletePeImage(bytes, kind, machine);
}

bool peFileVersion(const std::string &bytes, uint64_t &version) {
    const uint64_t size = bytes.size();
    if (size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z')
        return false;
    const uint64_t peHeader = read32(bytes, kPeHeaderOffsetField);
    const uint64_t fileHeader = peHeader + 4;
    const uint64_t optionalHeader = fileHeader + kFileHeaderSize;
    if (!fits(peHeader, 4 + kFileHeaderSize + 2, size) || bytes.compare(peHeader, 4, std::string("PE\0\0", 4)) != 0)
        return false;
    const uint16_t sectionCount = read16(bytes, fileHeader + 2);
    const uint16_t optionalSize = read16(bytes, fileHeader + 16);
    const uint64_t sectionTable = optionalHeader + optionalSize;
    if (sectionCount > kMaximumSections || !fits(sectionTable, sectionCount * kSectionHeaderSize, size))
        return false;

    const uint16_t magic = read16(bytes, optionalHeader);
    const uint64_t countField = magic == kMagicPe32Plus ? kDataDirectoryCountPe32Plus
                                : magic == kMagicPe32   ? kDataDirectoryCountPe32
                                                        : 0;
    if (countField == 0 || countField + 4 > optionalSize)
        return false;
    const uint64_t directoryCount = read32(bytes, optionalHeader + countField);
    const uint64_t resourceField = optionalHeader + countField + 4 + kResourceDirectory * 8;
    if (directoryCount <= kResourceDirectory || resourceField + 8 > sectionTable)
        return false;
    const uint32_t resourceRva = read32(bytes, resourceField);
    uint64_t section = 0;
    if (resourceRva == 0 || !offsetOfRva(bytes, sectionTable, sectionCount, resourceRva, section))
        return false;

    // Type (RT_VERSION), then the first name and the first language.
    uint32_t target = 0;
    bool isDirectory = true;
    for (int level = 0; level < kResourceLevels; ++level) {
        if (!isDirectory || !resourceEntry(bytes, section, target, level == 0 ? &kResourceTypeVersion : nullptr,
                                           target, isDirectory))
            return false;
    }
    if (isDirectory || !fits(section + target, 16, size))
        return false;
    const uint32_t dataRva = read32(bytes, section + target);
    const uint32_t dataSize = read32(bytes, section + target + 4);
    uint64_t data = 0;
    if (dataSize < kFixedFileInfoOffset + kFixedFileInfoSize ||
        !offsetOfRva(bytes, sectionTable, sectionCount, dataRva, data) ||
        !fits(data, kFixedFileInfoOffset + kFixedFileInfoSize, size))
        return false;
    const uint64_t fixed = data + kFixedFileInfoOffset;
    if (read16(bytes, data + 2) < kFixedFileInfoSize || read32(bytes, fixed) != kFixedFileInfoSignature)
        return false;
    version = static_cast<uint64_t>(read32(bytes, fixed + 8)) << 32 | read32(bytes, fixed + 12);
    return true;
}

bool filePeVersion(const std::string &path, uint64_t &version) {
    std::string bytes;
    return readFile(path, bytes) && peFileVersion(bytes, version);
}

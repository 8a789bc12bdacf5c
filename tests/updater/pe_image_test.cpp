#include "updater/pe_image.h"

#include "updater/packaged_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

void put16(std::string &bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

uint16_t read16(const std::string &bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void put32(std::string &bytes, size_t at, uint32_t value) {
    put16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
    put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

// Layout of the small image built below.
const size_t kPeHeader = 0x80;
const size_t kFileHeader = kPeHeader + 4;
const size_t kOptionalHeader = kFileHeader + 20;
const size_t kHeadersSize = 0x200;

struct MachineFields {
    PeMachine machine;
    uint16_t code;
    uint16_t magic;
    size_t optionalSize;
};
const MachineFields kX86 = {PeMachine::X86, 0x014C, 0x010B, 224};
const MachineFields kX64 = {PeMachine::X64, 0x8664, 0x020B, 240};
const MachineFields kMachines[] = {kX86, kX64};

size_t sectionTable(const MachineFields &m) { return kOptionalHeader + m.optionalSize; }

// A minimal well-formed image (PE32 or PE32+) with two sections of 0x200 raw bytes each.
std::string buildImage(bool dll, const MachineFields &m = kX86) {
    std::string bytes(kHeadersSize + 2 * 0x200, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put32(bytes, 0x3C, kPeHeader);
    bytes.replace(kPeHeader, 4, std::string("PE\0\0", 4));
    put16(bytes, kFileHeader, m.code);
    put16(bytes, kFileHeader + 2, 2);
    put16(bytes, kFileHeader + 16, static_cast<uint16_t>(m.optionalSize));
    put16(bytes, kFileHeader + 18, static_cast<uint16_t>(0x0102 | (dll ? 0x2000 : 0)));
    put16(bytes, kOptionalHeader, m.magic);
    put32(bytes, kOptionalHeader + 60, kHeadersSize);
    put16(bytes, kOptionalHeader + 68, 2);
    for (size_t i = 0; i < 2; ++i) {
        size_t section = sectionTable(m) + i * 40;
        put32(bytes, section + 16, 0x200);
        put32(bytes, section + 20, static_cast<uint32_t>(kHeadersSize + i * 0x200));
    }
    return bytes;
}

// The image above with a version resource in its second section, as a resource compiler lays it
// out: type, name and language directories, the data entry, then VS_VERSIONINFO.
const uint32_t kResourceRva = 0x2000;
const size_t kResources = kHeadersSize + 0x200; // file offset of the second section
const size_t kVersionInfo = kResources + 88;

size_t resourceDirectoryField(const MachineFields &m) { return kOptionalHeader + m.optionalSize - 128 + 2 * 8; }

std::string withVersion(std::string bytes, const MachineFields &m, uint32_t ms, uint32_t ls) {
    const size_t table = sectionTable(m);
    put32(bytes, table + 8, 0x200);
    put32(bytes, table + 12, 0x1000);
    put32(bytes, table + 40 + 8, 0x200);
    put32(bytes, table + 40 + 12, kResourceRva);
    put32(bytes, kOptionalHeader + m.optionalSize - 128 - 4, 16);
    put32(bytes, resourceDirectoryField(m), kResourceRva);
    put32(bytes, resourceDirectoryField(m) + 4, 0x200);
    const uint32_t level[][2] = {{16, 0x80000000u | 24}, {1, 0x80000000u | 48}, {0x409, 72}};
    for (size_t i = 0; i < 3; ++i) {
        put16(bytes, kResources + i * 24 + 14, 1);
        put32(bytes, kResources + i * 24 + 16, level[i][0]);
        put32(bytes, kResources + i * 24 + 20, level[i][1]);
    }
    put32(bytes, kResources + 72, kResourceRva + 88);
    put32(bytes, kResources + 76, 92);
    put16(bytes, kVersionInfo, 92);
    put16(bytes, kVersionInfo + 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof(key); ++i)
        put16(bytes, kVersionInfo + 6 + 2 * i, static_cast<uint16_t>(key[i]));
    put32(bytes, kVersionInfo + 40, 0xFEEF04BDu);
    put32(bytes, kVersionInfo + 48, ms);
    put32(bytes, kVersionInfo + 52, ls);
    return bytes;
}

} // namespace

TEST(PeImage, AcceptsCompleteImagesOnlyOfTheirOwnKindAndMachine) {
    for (const MachineFields &m : kMachines) {
        const PeMachine other = m.machine == PeMachine::X86 ? PeMachine::X64 : PeMachine::X86;
        EXPECT_TRUE(isCompletePeImage(buildImage(false, m), PeImageKind::Program, m.machine));
        EXPECT_TRUE(isCompletePeImage(buildImage(true, m), PeImageKind::Library, m.machine));
        EXPECT_FALSE(isCompletePeImage(buildImage(true, m), PeImageKind::Program, m.machine));
        EXPECT_FALSE(isCompletePeImage(buildImage(false, m), PeImageKind::Library, m.machine));
        EXPECT_FALSE(isCompletePeImage(buildImage(false, m), PeImageKind::Program, other));
        EXPECT_FALSE(isCompletePeImage(buildImage(true, m), PeImageKind::Library, other));
    }
}

TEST(PeImage, RefusesDamagedTruncatedAndForeignImages) {
    struct Case {
        const char *what;
        void (*damage)(std::string &);
    };
    const Case cases[] = {
        {"empty file", [](std::string &b) { b.clear(); }},
        {"text file", [](std::string &b) { b = "This is not a program, just a page the server sent instead.\n"; }},
        {"no MZ", [](std::string &b) { b[0] = 'X'; }},
        {"PE header beyond the end", [](std::string &b) { put32(b, 0x3C, 0xFFFFFFF0u); }},
        {"no PE signature", [](std::string &b) { b[kPeHeader + 1] = 'X'; }},
        {"machine of the other build", [](std::string &b) { put16(b, kFileHeader, read16(b, kFileHeader) ^ 0x8664 ^ 0x014C); }},
        {"optional header of the other build", [](std::string &b) { put16(b, kOptionalHeader, read16(b, kOptionalHeader) ^ 0x0300); }},
        {"not executable", [](std::string &b) { put16(b, kFileHeader + 18, 0x0100); }},
        {"no sections", [](std::string &b) { put16(b, kFileHeader + 2, 0); }},
        {"section table past the end", [](std::string &b) { put16(b, kFileHeader + 2, 90); }},
        {"optional header too small", [](std::string &b) { put16(b, kFileHeader + 16, 64); }},
        {"PE32+ optional header cut before its data directories", [](std::string &b) { put16(b, kFileHeader + 16, 100); }},
        {"native subsystem", [](std::string &b) { put16(b, kOptionalHeader + 68, 1); }},
        {"headers larger than the file", [](std::string &b) { put32(b, kOptionalHeader + 60, 0x100000); }},
        {"truncated last section", [](std::string &b) { b.resize(b.size() - 1); }},
        {"cut inside the headers", [](std::string &b) { b.resize(kOptionalHeader + 10); }},
        {"section offset wraps around",
         [](std::string &b) { put32(b, kOptionalHeader + read16(b, kFileHeader + 16) + 40 + 20, 0xFFFFFF00u); }},
    };
    for (const MachineFields &m : kMachines) {
        for (const Case &c : cases) {
            // A PE32 header of 100 bytes is whole; only the PE32+ one is cut.
            if (m.machine == PeMachine::X86 && std::string(c.what).find("PE32+") == 0)
                continue;
            std::string bytes = buildImage(false, m);
            c.damage(bytes);
            EXPECT_FALSE(isCompletePeImage(bytes, PeImageKind::Program, m.machine)) << c.what << " " << m.code;
        }
    }
}

TEST(PeImage, ChecksFilesOnDiskAndRefusesMissingOnes) {
    const std::string path = testing::TempDir() + "pe_image_test.dl_";
    {
        std::ofstream out(path, std::ios::binary);
        out << buildImage(true);
    }
    EXPECT_TRUE(fileIsCompletePeImage(path, PeImageKind::Library, PeMachine::X86));
    EXPECT_FALSE(fileIsCompletePeImage(path, PeImageKind::Program, PeMachine::X86));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << buildImage(true).substr(0, 0x300);
    }
    EXPECT_FALSE(fileIsCompletePeImage(path, PeImageKind::Library, PeMachine::X86));
    std::remove(path.c_str());
    EXPECT_FALSE(fileIsCompletePeImage(path, PeImageKind::Library, PeMachine::X86));
}

// The updater refuses an update whose version it cannot read, so no damage may yield a version.
TEST(PeImage, ReadsTheFileVersionOfTheVersionResourceOnly) {
    struct Case {
        const char *what;
        void (*damage)(std::string &, const MachineFields &);
    };
    const Case cases[] = {
        {"no resource directory", [](std::string &b, const MachineFields &m) { put32(b, resourceDirectoryField(m), 0); }},
        {"too few data directories",
         [](std::string &b, const MachineFields &m) { put32(b, kOptionalHeader + m.optionalSize - 132, 2); }},
        {"resources outside every section",
         [](std::string &b, const MachineFields &m) { put32(b, resourceDirectoryField(m), 0x9000); }},
        {"no version among the types", [](std::string &b, const MachineFields &) { put32(b, kResources + 16, 3); }},
        {"a leaf where a directory belongs", [](std::string &b, const MachineFields &) { put32(b, kResources + 20, 24); }},
        {"directories nested too deep",
         [](std::string &b, const MachineFields &) { put32(b, kResources + 68, 0x80000000u | 48); }},
        {"entry count past the end", [](std::string &b, const MachineFields &) { put16(b, kResources + 14, 0xFFFF); }},
        {"data outside every section",
         [](std::string &b, const MachineFields &) { put32(b, kResources + 72, 0x7FFFFFF0u); }},
        {"data too small for the fixed part", [](std::string &b, const MachineFields &) { put32(b, kResources + 76, 40); }},
        {"no fixed part", [](std::string &b, const MachineFields &) { put16(b, kVersionInfo + 2, 0); }},
        {"wrong signature", [](std::string &b, const MachineFields &) { b[kVersionInfo + 40] ^= 1; }},
        {"cut inside the resource", [](std::string &b, const MachineFields &) { b.resize(kVersionInfo + 50); }},
        {"not an image", [](std::string &b, const MachineFields &) { b[0] = 'X'; }},
    };
    for (const MachineFields &m : kMachines) {
        uint64_t version = 0;
        EXPECT_TRUE(peFileVersion(withVersion(buildImage(false, m), m, 0x00010002, 0x00030000), version)) << m.code;
        EXPECT_EQ(version, releaseVersion(1, 2, 3)) << m.code;
        EXPECT_FALSE(peFileVersion(buildImage(false, m), version)) << "no resources " << m.code;
        for (const Case &c : cases) {
            std::string bytes = withVersion(buildImage(true, m), m, 0x00010002, 0x00030000);
            c.damage(bytes, m);
            EXPECT_FALSE(peFileVersion(bytes, version)) << c.what << " " << m.code;
        }
    }
}

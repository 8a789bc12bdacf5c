#include "updater/pe_image.h"

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

void put32(std::string &bytes, size_t at, uint32_t value) {
    put16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
    put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

// Layout of the small image built below.
const size_t kPeHeader = 0x80;
const size_t kFileHeader = kPeHeader + 4;
const size_t kOptionalHeader = kFileHeader + 20;
const size_t kOptionalSize = 224;
const size_t kSectionTable = kOptionalHeader + kOptionalSize;
const size_t kHeadersSize = 0x200;

// A minimal well-formed PE32 image with two sections of 0x200 raw bytes each.
std::string buildImage(bool dll) {
    std::string bytes(kHeadersSize + 2 * 0x200, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put32(bytes, 0x3C, kPeHeader);
    bytes.replace(kPeHeader, 4, std::string("PE\0\0", 4));
    put16(bytes, kFileHeader, 0x014C);
    put16(bytes, kFileHeader + 2, 2);
    put16(bytes, kFileHeader + 16, kOptionalSize);
    put16(bytes, kFileHeader + 18, static_cast<uint16_t>(0x0102 | (dll ? 0x2000 : 0)));
    put16(bytes, kOptionalHeader, 0x010B);
    put32(bytes, kOptionalHeader + 60, kHeadersSize);
    put16(bytes, kOptionalHeader + 68, 2);
    for (size_t i = 0; i < 2; ++i) {
        size_t section = kSectionTable + i * 40;
        put32(bytes, section + 16, 0x200);
        put32(bytes, section + 20, static_cast<uint32_t>(kHeadersSize + i * 0x200));
    }
    return bytes;
}

} // namespace

TEST(PeImage, AcceptsCompleteImagesOnlyOfTheirOwnKind) {
    EXPECT_TRUE(isCompletePeImage(buildImage(false), PeImageKind::Program));
    EXPECT_TRUE(isCompletePeImage(buildImage(true), PeImageKind::Library));
    EXPECT_FALSE(isCompletePeImage(buildImage(true), PeImageKind::Program));
    EXPECT_FALSE(isCompletePeImage(buildImage(false), PeImageKind::Library));
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
        {"64-bit machine", [](std::string &b) { put16(b, kFileHeader, 0x8664); }},
        {"PE32+ optional header", [](std::string &b) { put16(b, kOptionalHeader, 0x020B); }},
        {"not executable", [](std::string &b) { put16(b, kFileHeader + 18, 0x0100); }},
        {"no sections", [](std::string &b) { put16(b, kFileHeader + 2, 0); }},
        {"section table past the end", [](std::string &b) { put16(b, kFileHeader + 2, 90); }},
        {"optional header too small", [](std::string &b) { put16(b, kFileHeader + 16, 64); }},
        {"native subsystem", [](std::string &b) { put16(b, kOptionalHeader + 68, 1); }},
        {"headers larger than the file", [](std::string &b) { put32(b, kOptionalHeader + 60, 0x100000); }},
        {"truncated last section", [](std::string &b) { b.resize(b.size() - 1); }},
        {"cut inside the headers", [](std::string &b) { b.resize(kOptionalHeader + 10); }},
        {"section offset wraps around", [](std::string &b) { put32(b, kSectionTable + 40 + 20, 0xFFFFFF00u); }},
    };
    for (const Case &c : cases) {
        std::string bytes = buildImage(false);
        c.damage(bytes);
        EXPECT_FALSE(isCompletePeImage(bytes, PeImageKind::Program)) << c.what;
    }
}

TEST(PeImage, ChecksFilesOnDiskAndRefusesMissingOnes) {
    const std::string path = testing::TempDir() + "pe_image_test.dl_";
    {
        std::ofstream out(path, std::ios::binary);
        out << buildImage(true);
    }
    EXPECT_TRUE(fileIsCompletePeImage(path, PeImageKind::Library));
    EXPECT_FALSE(fileIsCompletePeImage(path, PeImageKind::Program));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << buildImage(true).substr(0, 0x300);
    }
    EXPECT_FALSE(fileIsCompletePeImage(path, PeImageKind::Library));
    std::remove(path.c_str());
    EXPECT_FALSE(fileIsCompletePeImage(path, PeImageKind::Library));
}

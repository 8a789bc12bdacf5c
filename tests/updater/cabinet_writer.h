#pragma once

// Writes small uncompressed Microsoft cabinets for the updater's tests, with any member names,
// including ones that gcab would refuse to store ("..\\x", "C:\\x").
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cabinet_writer {

inline void put(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Members as (name in cabinet, contents); one folder, no compression, no checksums.
inline std::string build(const std::vector<std::pair<std::string, std::string>> &members) {
    const uint32_t kHeaderSize = 36, kFolderSize = 8, kBlockLimit = 32768;
    uint32_t filesSize = 0;
    std::string payload;
    for (const auto &m : members) {
        filesSize += 16 + static_cast<uint32_t>(m.first.size()) + 1;
        payload += m.second;
    }
    std::string blocks;
    uint32_t blockCount = 0;
    for (size_t at = 0; at < payload.size() || blockCount == 0; at += kBlockLimit) {
        std::string chunk = payload.substr(at, kBlockLimit);
        put(blocks, 0, 4); // no checksum
        put(blocks, static_cast<uint32_t>(chunk.size()), 2);
        put(blocks, static_cast<uint32_t>(chunk.size()), 2);
        blocks += chunk;
        ++blockCount;
        if (payload.empty())
            break;
    }
    const uint32_t filesOffset = kHeaderSize + kFolderSize;
    const uint32_t dataOffset = filesOffset + filesSize;
    const uint32_t total = dataOffset + static_cast<uint32_t>(blocks.size());

    std::string out = "MSCF";
    put(out, 0, 4);
    put(out, total, 4);
    put(out, 0, 4);
    put(out, filesOffset, 4);
    put(out, 0, 4);
    put(out, 3, 1); // version 1.3
    put(out, 1, 1);
    put(out, 1, 2); // folders
    put(out, static_cast<uint32_t>(members.size()), 2);
    put(out, 0, 2); // flags
    put(out, 0x1234, 2);
    put(out, 0, 2);

    put(out, dataOffset, 4);
    put(out, blockCount, 2);
    put(out, 0, 2); // no compression

    uint32_t offset = 0;
    for (const auto &m : members) {
        put(out, static_cast<uint32_t>(m.second.size()), 4);
        put(out, offset, 4);
        put(out, 0, 2);      // folder 0
        put(out, 0x5A21, 2); // 2025-01-01
        put(out, 0x6000, 2); // 12:00
        put(out, 0x20, 2);   // archive
        out += m.first;
        out += '\0';
        offset += static_cast<uint32_t>(m.second.size());
    }
    return out + blocks;
}

} // namespace cabinet_writer

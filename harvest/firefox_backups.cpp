#include "harvest/firefox_backups.h"

#include "harvest/lz4_block.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

const char kPrefix[] = "bookmarks-";
const size_t kPrefixLength = sizeof(kPrefix) - 1;
const size_t kDateLength = 10; // YYYY-MM-DD
const char kExtension[] = ".jsonlz4";
const size_t kExtensionLength = sizeof(kExtension) - 1;

const char kMagic[] = "mozLz40"; // and its terminating NUL: 8 bytes
const size_t kMagicLength = sizeof(kMagic);
const size_t kHeaderLength = kMagicLength + 4;
const size_t kMaxUnpacked = size_t(64) << 20;
// One LZ4 byte can stand for at most 255 more output bytes (a length byte of a long match).
const size_t kMaxRatio = 255;

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(const std::string &text, size_t at, const char *expected, size_t length) {
    if (text.size() < at + length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (lowerAscii(text[at + i]) != expected[i])
            return false;
    }
    return true;
}

// "bookmarks-", a date of digits and hyphens, then "_" or the extension; the name's date or an
// empty string when it is not a backup's name.
std::string backupDate(const std::string &name) {
    if (name.size() < kPrefixLength + kDateLength + kExtensionLength || !equalNoCase(name, 0, kPrefix, kPrefixLength) ||
        !equalNoCase(name, name.size() - kExtensionLength, kExtension, kExtensionLength))
        return std::string();
    std::string date = name.substr(kPrefixLength, kDateLength);
    for (size_t i = 0; i < kDateLength; ++i) {
        bool hyphen = i == 4 || i == 7;
        if (hyphen ? date[i] != '-' : (date[i] < '0' || date[i] > '9'))
            return std::string();
    }
    char after = name[kPrefixLength + kDateLength];
    if (after != '_' && after != '.')
        return std::string();
    return date;
}

} // namespace

std::vector<std::string> backupsNewestFirst(const std::vector<std::string> &names) {
    std::vector<std::pair<std::string, std::string>> dated; // date, name
    for (const std::string &name : names) {
        std::string date = backupDate(name);
        if (!date.empty())
            dated.emplace_back(date, name);
    }
    std::sort(dated.begin(), dated.end(), [](const auto &a, const auto &b) { return a > b; });
    std::vector<std::string> newestFirst;
    for (const auto &backup : dated)
        newestFirst.push_back(backup.second);
    return newestFirst;
}

bool unpackMozLz4(const std::string &file, std::string &json) {
    json.clear();
    if (file.size() < kHeaderLength || file.compare(0, kMagicLength, kMagic, kMagicLength) != 0)
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(file.data());
    uint32_t declared = bytes[8] | uint32_t(bytes[9]) << 8 | uint32_t(bytes[10]) << 16 | uint32_t(bytes[11]) << 24;
    size_t block = file.size() - kHeaderLength;
    // The header's size is only believed as far as the block could hold it, so a lying header
    // never makes a large buffer.
    size_t limit = std::min<size_t>(declared, kMaxUnpacked);
    if (block < kMaxUnpacked / kMaxRatio)
        limit = std::min(limit, block * kMaxRatio);
    decodeLz4Block(bytes + kHeaderLength, block, limit, json);
    return true;
}

#include "launcher/query_memory.h"

#include "common/atomic_file.h"
#include "common/file_contents.h"
#include "launcher/command_items.h"

#include <algorithm>

namespace {

const char kHeader[] = "wordlark query memory 1\r\n";
const size_t kUseKeyLength = 32;
const size_t kMaxQueryLength = 259; // the command window's edit field holds no more
const size_t kMaxTimeDigits = 18;   // well inside 64 bits

bool isUseKey(const std::string &text) {
    if (text.size() != kUseKeyLength)
        return false;
    for (char ch : text)
        if (!((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f')))
            return false;
    return true;
}

bool readTime(const std::string &text, int64_t &time) {
    if (text.empty() || text.size() > kMaxTimeDigits || (text.size() > 1 && text[0] == '0'))
        return false;
    time = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        time = time * 10 + (ch - '0');
    }
    return true;
}

bool olderThan(const QueryMemory::Launch &a, const QueryMemory::Launch &b) {
    return a.time != b.time ? a.time < b.time : a.order < b.order;
}

} // namespace

std::string QueryMemory::normalQuery(const std::string &typed) {
    std::string text = typed;
    lowerAscii(text);
    for (char &ch : text)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f)
            ch = ' ';
    std::string normal;
    for (const std::string &word : splitWords(text, 1)) {
        if (!normal.empty())
            normal += ' ';
        normal += word;
    }
    return normal;
}

void QueryMemory::remember(const std::string &query, const std::string &useKey, int64_t time) {
    if (query.empty())
        return;
    Launch &launch = entries_[query];
    launch.useKey = useKey;
    // Held to what the file can say: a clock set before 1970 or absurdly far ahead.
    launch.time = std::min<int64_t>(std::max<int64_t>(time, 0), 999999999999999999);
    launch.order = nextOrder_++;
    dropOldestBeyondLimit();
}

void QueryMemory::dropOldestBeyondLimit() {
    while (entries_.size() > kMaxQueries) {
        auto oldest = entries_.begin();
        for (auto entry = entries_.begin(); entry != entries_.end(); ++entry)
            if (olderThan(entry->second, oldest->second))
                oldest = entry;
        entries_.erase(oldest);
    }
}

std::vector<std::string> QueryMemory::launchesFor(const std::string &query) const {
    std::vector<std::string> keys;
    for (size_t length = query.size(); length > 0; --length) {
        auto entry = entries_.find(query.substr(0, length));
        if (entry != entries_.end())
            keys.push_back(entry->second.useKey);
    }
    return keys;
}

bool QueryMemory::parse(const std::string &bytes) {
    const size_t headerLength = sizeof kHeader - 1;
    if (bytes.compare(0, headerLength, kHeader) != 0)
        return false;
    std::map<std::string, Launch> read;
    std::vector<std::pair<Launch, std::string>> inFileOrder;
    for (size_t at = headerLength; at < bytes.size();) {
        const size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos)
            return false; // cut short
        const std::string line = bytes.substr(at, end - at);
        at = end + 2;
        const size_t firstTab = line.find('\t');
        const size_t secondTab = firstTab == std::string::npos ? firstTab : line.find('\t', firstTab + 1);
        if (secondTab == std::string::npos)
            return false;
        Launch launch;
        const std::string query = line.substr(secondTab + 1);
        launch.useKey = line.substr(firstTab + 1, secondTab - firstTab - 1);
        if (!readTime(line.substr(0, firstTab), launch.time) || !isUseKey(launch.useKey) ||
            query.size() > kMaxQueryLength || query.empty() || normalQuery(query) != query)
            return false;
        if (!read.emplace(query, launch).second)
            return false;
        inFileOrder.emplace_back(launch, query);
    }
    // Later lines are newer among equal times, as they were written.
    uint64_t order = 0;
    for (auto &line : inFileOrder)
        read[line.second].order = order++;
    entries_.swap(read);
    nextOrder_ = order;
    dropOldestBeyondLimit();
    return true;
}

std::string QueryMemory::format() const {
    std::vector<std::pair<const Launch *, const std::string *>> lines;
    for (const auto &entry : entries_)
        lines.emplace_back(&entry.second, &entry.first);
    std::sort(lines.begin(), lines.end(), [](const auto &a, const auto &b) { return olderThan(*a.first, *b.first); });
    std::string bytes = kHeader;
    for (const auto &line : lines) {
        bytes += std::to_string(static_cast<long long>(line.first->time));
        bytes += '\t';
        bytes += line.first->useKey;
        bytes += '\t';
        bytes += *line.second;
        bytes += "\r\n";
    }
    return bytes;
}

QueryMemory::LoadResult QueryMemory::load(const std::string &path) {
    std::string bytes;
    if (!readFileContents(path, bytes))
        return LoadResult::Missing;
    return parse(bytes) ? LoadResult::Loaded : LoadResult::Damaged;
}

bool QueryMemory::save(const std::string &path) const { return replaceFileContents(path, format()); }

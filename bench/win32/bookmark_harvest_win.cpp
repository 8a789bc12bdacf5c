// Times the bookmarks step of the harvest under Wine or Windows with a large collection: N
// bookmarks (5,000 unless given) in an Edge profile's "Bookmarks" and N in a Firefox profile's
// newest jsonlz4 backup, half of Firefox's at addresses Edge has too. Reports the median of five
// runs of reading and parsing alone (done before the catalogue's lock is taken) and of the whole
// step into an empty catalogue; the difference is the time the lock is held, during which a
// search finds nothing.
//   bench_bookmark_harvest [PROGRAM.exe [N]]   files are made beside PROGRAM.exe, else in %TEMP%
#include "bench_tools_win.h"

#include "harvest/harvest_catalogue_win.h"
#include "launcher/command_catalogue.h"

#include <shlobj.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char *const kWords[] = {"news",    "travel",      "recipe", "garden",  "python", "weather", "football", "music",
                              "bank",    "library",     "museum", "cinema",  "train",  "forum",   "wiki",     "shop",
                              "journal", "caf\xc3\xa9", "map",    "science", "school", "health",  "photo",    "radio"};
const size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string title(size_t k) {
    return std::string(kWords[k % kWordCount]) + " " + kWords[(k / kWordCount) % kWordCount] + " page " +
           std::to_string(k);
}

std::string address(size_t k) {
    return "https://site" + std::to_string(k % 700) + ".example/" + kWords[k % kWordCount] + "/" + std::to_string(k);
}

// A greedy LZ4 block compressor, enough to give the decoder matches as Firefox's files have them.
// It keeps the format's end rules: the last five bytes are literals.
std::string lz4Block(const std::string &in) {
    std::string out;
    const size_t n = in.size();
    std::vector<int64_t> table(1 << 16, -1);
    auto putLength = [&out](size_t length) {
        for (; length >= 255; length -= 255)
            out += '\xff';
        out += static_cast<char>(length);
    };
    auto putLiterals = [&](size_t from, size_t count, unsigned matchCode) {
        out += static_cast<char>((count < 15 ? count : 15) << 4 | matchCode);
        if (count >= 15)
            putLength(count - 15);
        out.append(in, from, count);
    };
    size_t anchor = 0;
    for (size_t i = 0; n >= 12 && i + 12 <= n;) {
        uint32_t v;
        std::memcpy(&v, &in[i], 4);
        uint32_t h = (v * 2654435761u) >> 16;
        int64_t j = table[h];
        table[h] = static_cast<int64_t>(i);
        if (j < 0 || i - static_cast<size_t>(j) > 65535 || std::memcmp(&in[static_cast<size_t>(j)], &in[i], 4) != 0) {
            ++i;
            continue;
        }
        size_t match = static_cast<size_t>(j);
        size_t length = 4;
        while (i + length + 5 < n && in[match + length] == in[i + length])
            ++length;
        size_t code = length - 4;
        putLiterals(anchor, i - anchor, static_cast<unsigned>(code < 15 ? code : 15));
        out += static_cast<char>((i - match) & 0xff);
        out += static_cast<char>((i - match) >> 8);
        if (code >= 15)
            putLength(code - 15);
        i += length;
        anchor = i;
    }
    putLiterals(anchor, n - anchor, 0);
    return out;
}

std::string edgeBookmarks(size_t count) {
    std::string children;
    for (size_t k = 0; k < count; ++k) {
        children +=
            std::string(k ? ", " : "") + "{\n            \"date_added\": \"1334567890" + std::to_string(100000 + k) +
            "\",\n            \"date_last_used\": \"0\",\n            \"guid\": \"6f4f8a52-0000-4000-8000-" +
            std::to_string(100000000000 + k) + "\",\n            \"id\": \"" + std::to_string(k + 10) +
            "\",\n            \"meta_info\": {\n               \"power_bookmark_meta\": \"\"\n            },\n"
            "            \"name\": \"" +
            title(k) + "\",\n            \"type\": \"url\",\n            \"url\": \"" + address(k) + "\"\n         }";
    }
    return "{\n   \"checksum\": \"0123456789abcdef0123456789abcdef\",\n   \"roots\": {\n      \"bookmark_bar\": {\n"
           "         \"children\": [ " +
           children +
           " ],\n         \"id\": \"1\",\n         \"name\": \"Favorites bar\",\n         \"type\": \"folder\"\n"
           "      }\n   },\n   \"version\": 1\n}\n";
}

std::string firefoxBackup(size_t count) {
    std::string children;
    for (size_t k = 0; k < count; ++k) {
        size_t n = k % 2 ? k : count + k; // every other one at an address Edge has too
        children +=
            std::string(k ? "," : "") + "{\"guid\":\"bm" + std::to_string(100000000 + k) + "\",\"title\":\"" +
            title(n) + "\",\"index\":" + std::to_string(k) +
            ",\"dateAdded\":1700000000000000,\"lastModified\":1700000000000000,\"id\":" + std::to_string(k + 10) +
            ",\"typeCode\":1,\"type\":\"text/x-moz-place\",\"uri\":\"" + address(n) + "\"}";
    }
    std::string json = "{\"guid\":\"root________\",\"title\":\"\",\"index\":0,\"id\":1,\"typeCode\":2,"
                       "\"type\":\"text/x-moz-place-container\",\"root\":\"placesRoot\",\"children\":["
                       "{\"guid\":\"menu________\",\"title\":\"menu\",\"index\":0,\"id\":2,\"typeCode\":2,"
                       "\"type\":\"text/x-moz-place-container\",\"root\":\"bookmarksMenuFolder\",\"children\":[" +
                       children + "]}]}";
    std::string file("mozLz40\0", 8);
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>(json.size() >> shift & 0xff);
    return file + lz4Block(json);
}

void writeFile(const std::string &path, const std::string &bytes) {
    SHCreateDirectoryExA(nullptr, path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string countFile() {
    char buffer[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, buffer);
    return std::string(buffer) + "bookmark_bench.cmd";
}

} // namespace

int main(int argc, char **argv) {
    // Beside the program when its full path is given, else in the temporary folder.
    std::string base = argc >= 2 ? argv[1] : "";
    size_t slash = base.find_last_of('\\');
    if (slash != std::string::npos && slash > 0) {
        base.resize(slash);
    } else {
        char buffer[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, buffer);
        base = buffer;
        if (!base.empty() && base.back() == '\\')
            base.pop_back();
    }
    size_t count = argc >= 3 ? static_cast<size_t>(std::atoi(argv[2])) : 5000;
    const std::string roaming = base + "\\bookmark-bench\\Roaming";
    const std::string local = base + "\\bookmark-bench\\Local";
    const std::string edgeFile = edgeBookmarks(count);
    const std::string firefoxFile = firefoxBackup(count);
    writeFile(roaming + "\\Mozilla\\Firefox\\profiles.ini",
              "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/b.default\r\n");
    // One name whatever the count, so that a backup of an earlier run is replaced, not read instead.
    writeFile(roaming +
                  "\\Mozilla\\Firefox\\Profiles\\b.default\\bookmarkbackups\\bookmarks-2024-05-01_1_bench.jsonlz4",
              firefoxFile);
    writeFile(local + "\\Microsoft\\Edge\\User Data\\Default\\Bookmarks", edgeFile);
    printf("bookmarks: %zu in Edge (%zu KB), %zu in a Firefox backup (%zu KB packed)\n", count, edgeFile.size() / 1024,
           count, firefoxFile.size() / 1024);

    std::vector<double> gatherMs, stepMs;
    size_t gathered = 0, results = 0;
    for (int run = 0; run < 5; ++run) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        gathered = gatherBrowserBookmarks(roaming, local, browserFileAccess()).size();
        gatherMs.push_back(benchtools::microsecondsSince(start) / 1000);

        CommandCatalogue catalogue(25, defaultLauncherPlatform(), countFile());
        QueryPerformanceCounter(&start);
        harvestBrowserBookmarksUnder(catalogue, roaming, local);
        stepMs.push_back(benchtools::microsecondsSince(start) / 1000);
        std::string query = "garden";
        catalogue.search(query);
        results = catalogue.searchResults().size();
    }
    double gather = benchtools::percentile(gatherMs, 0.5);
    double step = benchtools::percentile(stepMs, 0.5);
    printf("%-40s %8.1f ms (%zu distinct bookmarks)\n", "read and parse (lock free)", gather, gathered);
    printf("%-40s %8.1f ms\n", "whole bookmarks step", step);
    printf("%-40s %8.1f ms\n", "of which the lock is held (difference)", step - gather);
    printf("search \"garden\" afterwards: %zu results\n", results);
    DeleteFileA(countFile().c_str());
    return 0;
}

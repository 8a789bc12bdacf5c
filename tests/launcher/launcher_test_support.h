#pragma once

#include "launcher/launcher_platform.h"

#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

// A pretend file system for the folder walk: a listing per search pattern, in the order given,
// and a short form per folder. Records the patterns it was asked for and what was opened.
struct FakeLauncherPlatform {
    std::map<std::string, std::vector<DirectoryEntry>> listings; // pattern -> entries
    std::map<std::string, std::string> shortForms;               // long folder -> short folder
    std::vector<std::string> listed;
    std::vector<ShellOpenRequest> opened;

    LauncherPlatform platform() {
        LauncherPlatform result;
        result.listDirectory = [this](const std::string &pattern, std::vector<DirectoryEntry> &entries) {
            listed.push_back(pattern);
            entries.clear();
            auto listing = listings.find(pattern);
            if (listing == listings.end())
                return false;
            entries.push_back({".", true});
            entries.push_back({"..", true});
            entries.insert(entries.end(), listing->second.begin(), listing->second.end());
            return true;
        };
        result.shortPath = [this](const std::string &longPath, std::string &shortPath) {
            auto form = shortForms.find(longPath);
            if (form == shortForms.end())
                return false;
            shortPath = form->second;
            return true;
        };
        result.shellOpen = [this](const ShellOpenRequest &request) { opened.push_back(request); };
        // Windows-1252 and Latin-1 agree on the letters the tests use.
        result.toUtf8 = [](const std::string &ansi) {
            std::string utf8;
            for (unsigned char c : ansi) {
                if (c < 0x80) {
                    utf8 += char(c);
                } else {
                    utf8 += char(0xC0 | (c >> 6));
                    utf8 += char(0x80 | (c & 0x3F));
                }
            }
            return utf8;
        };
        return result;
    }
};

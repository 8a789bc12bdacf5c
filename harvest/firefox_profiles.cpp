#include "harvest/firefox_profiles.h"

#include "harvest/text_lines.h"

namespace {
const char kPathKey[] = "Path=";
const size_t kPathKeyLength = sizeof(kPathKey) - 1;
} // namespace

std::vector<std::string> profileFolders(const std::string &profilesIni) {
    std::vector<std::string> folders;
    for (const std::string &line : splitTextLines(profilesIni)) {
        // "Path=" anywhere marks the line, but the folder always starts at the sixth character:
        // profiles.ini writes its keys at the start of the line.
        if (line.find(kPathKey) != std::string::npos)
            folders.push_back(line.substr(kPathKeyLength));
    }
    return folders;
}

std::vector<std::string> profileFolderPaths(const std::string &firefoxFolder, const std::string &profilesIni) {
    std::vector<std::string> paths;
    for (const std::string &folder : profileFolders(profilesIni))
        paths.push_back(firefoxFolder + folder);
    return paths;
}

std::vector<std::string> bookmarkFilePaths(const std::string &firefoxFolder, const std::string &profilesIni) {
    std::vector<std::string> paths = profileFolderPaths(firefoxFolder, profilesIni);
    for (std::string &path : paths)
        path += "/bookmarks.html";
    return paths;
}

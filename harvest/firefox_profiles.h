#pragma once

#include <string>
#include <vector>

// Firefox keeps its profile list in "profiles.ini" inside its folder under the application-data
// folder. Every line that holds "Path=" names a profile folder: the line's text after its first
// five characters. The folder is always taken relative to the Firefox folder, forward slashes and
// all, since Windows accepts both separators.
std::vector<std::string> profileFolders(const std::string &profilesIni);

// The profile folders themselves: firefoxFolder (ending with a backslash) and each folder joined.
std::vector<std::string> profileFolderPaths(const std::string &firefoxFolder, const std::string &profilesIni);

// The bookmark files of those profiles: firefoxFolder (ending with a backslash), the profile
// folder and "/bookmarks.html" joined, in the order of the list.
std::vector<std::string> bookmarkFilePaths(const std::string &firefoxFolder, const std::string &profilesIni);

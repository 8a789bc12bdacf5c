#pragma once

#include <string>
#include <vector>

// Where the Chromium-family browsers keep their profiles. Each has a user-data folder under the
// local application-data folder (Opera: under the roaming one); its profiles are subfolders,
// "Default" and "Profile 1", "Profile 2", ..., which the browser's "Local State" file lists too.
// Each profile holds a "Bookmarks" file (see bookmark_tree.h).

// The user-data folders of Chrome, Edge, Brave, Vivaldi, Chromium and Opera (and Opera GX), in
// that order; those under an empty base folder are left out.
std::vector<std::string> chromiumUserDataFolders(const std::string &localAppData, const std::string &roamingAppData);

// The profile folder names that "Local State" lists (the keys of profile.info_cache), in file
// order; of a damaged file those before the damage. Names that are not a plain folder name (empty,
// "." or "..", or holding a slash, backslash or colon) are left out: the file must not send the
// harvest elsewhere.
std::vector<std::string> localStateProfiles(const std::string &localState);

// "Default", or "Profile " followed by a number: the names the browsers give profile folders.
bool isProfileFolderName(const std::string &name);

// The profile folders of a user-data folder, given the names of its subfolders and the text of
// its "Local State": the folder itself first (Opera keeps its one profile there), then each
// profile that "Local State" lists, then each other "Default" or "Profile N" subfolder, each once.
std::vector<std::string> chromiumProfileFolders(const std::string &userData, const std::vector<std::string> &subfolders,
                                                const std::string &localState);

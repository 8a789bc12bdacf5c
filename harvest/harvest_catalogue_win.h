#pragma once

#include "win32/registry_key_win.h"

#include <cstdint>
#include <string>

class CommandCatalogue;

// The background scan that fills the command catalogue at every start: special folders, the PATH
// folders, Firefox bookmarks and registry value names, in a fixed order of 20 steps.
//
// Worker thread only. Each step waits for the catalogue's lock and holds it for the whole step,
// so the command window's searches (which only try the lock) find nothing during a step and the
// whole catalogue between steps. Every source fails silently; the harvest goes on with the next.

// Steps 1 to 20 in order.
void harvestCatalogue(CommandCatalogue &catalogue);

// Asks the harvest to stop at the next step or registry key, for shut-down: the catalogue is made
// anew at every start, and the program's files must be saved before Windows ends the process.
// Any thread.
void stopHarvest();

// One special folder (a CSIDL) as an item of its own and then its tree, `depth` levels counting
// the folder itself, entering at most `maxSubfolders` subfolders of each folder (-1: all).
void harvestSpecialFolder(CommandCatalogue &catalogue, int csidl, int32_t depth, int32_t maxSubfolders, bool countUse);

// The same for a folder given by path; the caller holds the lock. Used by harvestSpecialFolder
// and by the benchmark.
void harvestFolderTree(CommandCatalogue &catalogue, const std::string &folder, int32_t depth, int32_t maxSubfolders,
                       bool countUse);

// The top level of every folder of the PATH variable.
void harvestSearchPath(CommandCatalogue &catalogue);

// The bookmarks of every profile listed in Firefox's profiles.ini.
void harvestFirefoxBookmarks(CommandCatalogue &catalogue);

// The first link of every line of one bookmarks file; the caller holds the lock.
void readBookmarkFile(CommandCatalogue &catalogue, const std::string &path);

// Value names under SOFTWARE of HKEY_CURRENT_USER, HKEY_USERS and HKEY_LOCAL_MACHINE that are web
// addresses or file paths, one root at a time.
void harvestRegistry(CommandCatalogue &catalogue);

// Walks one key and its subkeys (except every "classes" subtree) and closes it; the caller holds
// the lock.
void harvestRegistryKey(CommandCatalogue &catalogue, RegistryKey key);

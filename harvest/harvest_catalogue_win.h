#pragma once

#include "harvest/browser_bookmarks.h"
#include "win32/registry_key_win.h"

#include <cstdint>
#include <string>

class CommandCatalogue;

// The background scan that fills the command catalogue at every start: the pages of Windows'
// settings, special folders, the PATH folders, the browsers' bookmarks and history and registry
// value names, in a fixed order of 22 steps.
//
// Worker thread only. Each step waits for the catalogue's lock and holds it while it adds: a
// folder or registry step for its whole walk, the bookmarks step once its files are read. The
// command window's searches (which only try the lock) find nothing meanwhile and the whole
// catalogue between steps. Every source fails silently; the harvest goes on with the next.

// Steps 1 to 22 in order: the settings pages, 12 special folders, PATH, bookmarks, history, the
// registry, 5 special folders.
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

// The bookmarks of every browser of the user: Firefox's profiles, then the Chromium family's
// (browser_bookmarks.h), under the roaming and the local application-data folders.
void harvestBrowserBookmarks(CommandCatalogue &catalogue);

// The browsers' files as the harvest reaches them: opened with every share mode (a running browser
// holds them open), read up to 64 MiB, listed with FindFirstFileA, titles from UTF-8 to ANSI.
BrowserFileAccess browserFileAccess();

// The same under the given folders (an empty one is skipped). The files are read and parsed
// before the lock is taken, so the searches of the user-interface thread wait only while the
// bookmarks are added.
void harvestBrowserBookmarksUnder(CommandCatalogue &catalogue, const std::string &roamingAppData,
                                  const std::string &localAppData);

// The pages of Windows' settings of this release (launcher/system_pages.h), weight 2.
void harvestSystemPages(CommandCatalogue &catalogue);

// The pages of every browser's history (harvest/browser_history.h), read and ranked before the
// lock is taken, then added below the other items (CommandCatalogue::addVisitedPages).
void harvestBrowserHistory(CommandCatalogue &catalogue);

// Value names under SOFTWARE of HKEY_CURRENT_USER, HKEY_USERS and HKEY_LOCAL_MACHINE that are web
// addresses or file paths, one root at a time.
void harvestRegistry(CommandCatalogue &catalogue);

// Walks one key and its subkeys (except every "classes" subtree) and closes it; the caller holds
// the lock.
void harvestRegistryKey(CommandCatalogue &catalogue, RegistryKey key);

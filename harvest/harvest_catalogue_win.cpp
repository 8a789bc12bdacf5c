#include "harvest/harvest_catalogue_win.h"

#include "common/ansi_code_page.h"
#include "common/file_contents.h"
#include "harvest/browser_bookmarks.h"
#include "harvest/history_files_win.h"
#include "harvest/registry_names.h"
#include "harvest/search_path.h"
#include "harvest/utf8_to_ansi_win.h"
#include "launcher/command_catalogue.h"
#include "launcher/system_pages.h"

#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

const int32_t kDeepLevels = 6;
const int32_t kShallowLevels = 2;
const int32_t kSubfolderCap = 1000;
const int32_t kHistorySubfolderCap = 100;
const int32_t kBookmarkWeight = 2;
const int32_t kSystemPageWeight = 2;
// Bookmark files of the largest collections stay far below this; a larger file is read this far.
const size_t kMaxBrowserFileBytes = size_t(64) << 20;

// Registry names are read into buffers of these sizes. A value name may be 16383 characters; a
// key name 255, which with its terminating NUL needs 256.
const DWORD kValueNameBuffer = 16384;
const DWORD kKeyNameBuffer = 256;

struct SpecialFolderStep {
    int csidl;
    int32_t depth;
    int32_t maxSubfolders;
    bool countUse;
};

// Steps 1 to 12: the Start menu, start-up, recent, desktop, documents and favourites folders.
// Only the top folders of the first five enter the use counts.
const SpecialFolderStep kLeadingFolders[] = {
    {CSIDL_STARTUP, kDeepLevels, kSubfolderCap, true},
    {CSIDL_COMMON_STARTUP, kDeepLevels, kSubfolderCap, true},
    {CSIDL_STARTMENU, kDeepLevels, kSubfolderCap, true},
    {CSIDL_COMMON_STARTMENU, kDeepLevels, kSubfolderCap, true},
    {CSIDL_RECENT, kDeepLevels, kSubfolderCap, true},
    {CSIDL_PROGRAMS, kDeepLevels, kSubfolderCap, false},
    {CSIDL_COMMON_PROGRAMS, kDeepLevels, kSubfolderCap, false},
    {CSIDL_DESKTOPDIRECTORY, kDeepLevels, kSubfolderCap, false},
    {CSIDL_COMMON_DESKTOPDIRECTORY, kDeepLevels, kSubfolderCap, false},
    {CSIDL_PERSONAL, kDeepLevels, kSubfolderCap, false},
    {CSIDL_COMMON_DOCUMENTS, kDeepLevels, kSubfolderCap, false},
    {CSIDL_FAVORITES, kDeepLevels, kSubfolderCap, false},
};

// Steps 16 to 20: history at its top level, program files and media two levels deep.
const SpecialFolderStep kTrailingFolders[] = {
    {CSIDL_HISTORY, 1, kHistorySubfolderCap, false},
    {CSIDL_PROGRAM_FILES, kShallowLevels, kSubfolderCap, false},
    {CSIDL_MYVIDEO, kShallowLevels, kSubfolderCap, false},
    {CSIDL_MYPICTURES, kShallowLevels, kSubfolderCap, false},
    {CSIDL_MYMUSIC, kShallowLevels, kSubfolderCap, false},
};

bool specialFolderPath(int csidl, std::string &path) {
    char buffer[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE))
        return false;
    path = buffer;
    return !path.empty();
}

// Name buffers shared by every level of one registry walk: the walk is as deep as the registry,
// and 16 KB per level on the worker thread's stack would not be.
struct RegistryWalkBuffers {
    std::vector<char> valueName = std::vector<char>(kValueNameBuffer);
    char keyName[kKeyNameBuffer];
};

void addRegistryValueNames(CommandCatalogue &catalogue, HKEY key, DWORD valueCount, RegistryWalkBuffers &buffers) {
    auto typeWeight = [&catalogue](const std::string &path) { return catalogue.typeWeight(path); };
    for (DWORD index = 0; index < valueCount; ++index) {
        DWORD length = kValueNameBuffer - 1;
        if (RegEnumValueA(key, index, buffers.valueName.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        std::string name(buffers.valueName.data(), length);
        int32_t weight = registryNameWeight(name, typeWeight);
        if (weight > 0)
            catalogue.addItem(name, std::string(), weight, false);
    }
}

std::atomic<bool> harvestStopping{false};

void walkRegistryKey(CommandCatalogue &catalogue, RegistryKey key, RegistryWalkBuffers &buffers) {
    DWORD subkeyCount = 0;
    DWORD valueCount = 0;
    // No class buffer: the class is not used, and one longer than a buffer fails the whole call
    // with ERROR_MORE_DATA, which would skip the key's values and subtree.
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, &valueCount, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    addRegistryValueNames(catalogue, key.get(), valueCount, buffers);
    for (DWORD index = 0; index < subkeyCount && !harvestStopping; ++index) {
        DWORD length = kKeyNameBuffer;
        if (RegEnumKeyExA(key.get(), index, buffers.keyName, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        std::string name(buffers.keyName, length);
        if (isClassesKeyName(name))
            continue;
        RegistryKey subkey;
        if (subkey.openForReading(key.get(), name.c_str()))
            walkRegistryKey(catalogue, std::move(subkey), buffers);
    }
}

} // namespace

void harvestFolderTree(CommandCatalogue &catalogue, const std::string &folder, int32_t depth, int32_t maxSubfolders,
                       bool countUse) {
    catalogue.addItem(folder, std::string(), 1, false);
    catalogue.addFolder(folder, depth, maxSubfolders, countUse);
}

void harvestSpecialFolder(CommandCatalogue &catalogue, int csidl, int32_t depth, int32_t maxSubfolders, bool countUse) {
    ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
    std::string folder;
    if (!specialFolderPath(csidl, folder))
        return;
    harvestFolderTree(catalogue, folder, depth, maxSubfolders, countUse);
}

void harvestSearchPath(CommandCatalogue &catalogue) {
    // The C runtime matches the name without regard to case, so "Path" and "PATH" are found too.
    const char *value = std::getenv("path");
    if (!value || !*value)
        return;
    std::vector<std::string> folders = searchPathFolders(value);
    ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
    for (const std::string &folder : folders)
        catalogue.addFolder(folder, 1, -1, false);
}

BrowserFileAccess browserFileAccess() {
    BrowserFileAccess access;
    // The catalogue's paths are ANSI text; the file is reached by its UTF-8 path, as every file.
    access.readFile = [](const std::string &path, std::string &bytes) {
        return readSharedFileContents(utf8FromAnsi(path), kMaxBrowserFileBytes, bytes);
    };
    access.listDirectory = listDirectoryA;
    access.titleToAnsi = utf8ToAnsi;
    return access;
}

void harvestBrowserBookmarksUnder(CommandCatalogue &catalogue, const std::string &roamingAppData,
                                  const std::string &localAppData) {
    std::vector<Bookmark> bookmarks = gatherBrowserBookmarks(roamingAppData, localAppData, browserFileAccess());
    // Reading may have taken a while; at Exit the catalogue is not wanted any more.
    if (bookmarks.empty() || harvestStopping)
        return;
    ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
    for (const Bookmark &bookmark : bookmarks)
        catalogue.addItem(bookmark.title, bookmark.url, kBookmarkWeight, false);
}

void harvestBrowserBookmarks(CommandCatalogue &catalogue) {
    std::string roaming, local; // stay empty when the shell does not report them
    specialFolderPath(CSIDL_APPDATA, roaming);
    specialFolderPath(CSIDL_LOCAL_APPDATA, local);
    harvestBrowserBookmarksUnder(catalogue, roaming, local);
}

namespace {

// The version Windows reports to itself: GetVersionEx answers as the manifest asks, and
// RtlGetVersion does not.
WindowsRelease runningRelease() {
    using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                  reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!getVersion || getVersion(&version) != 0)
        return WindowsRelease(0);
    return windowsReleaseOf(version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber);
}

} // namespace

void harvestSystemPages(CommandCatalogue &catalogue) {
    const std::vector<SystemPage> pages = systemPagesOf(runningRelease());
    ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
    for (const SystemPage &page : pages)
        catalogue.addTitledItem(page.title, page.target, page.keywords, kSystemPageWeight);
}

void harvestBrowserHistory(CommandCatalogue &catalogue) {
    const HistoryFileAccess access = historyFileAccess();
    if (access.copyPath.empty())
        return;
    std::vector<VisitedPage> pages = gatherBrowserHistory(specialFolderUtf8(CSIDL_APPDATA),
                                                          specialFolderUtf8(CSIDL_LOCAL_APPDATA), access,
                                                          int64_t(std::time(nullptr)));
    access.removeFile(access.copyPath);
    if (pages.empty() || harvestStopping)
        return;
    std::vector<TitledAddress> items;
    items.reserve(pages.size());
    for (VisitedPage &page : pages)
        items.push_back({std::move(page.url), std::move(page.title)});
    pages.clear();
    ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
    catalogue.addVisitedPages(items);
}

void harvestRegistryKey(CommandCatalogue &catalogue, RegistryKey key) {
    RegistryWalkBuffers buffers;
    walkRegistryKey(catalogue, std::move(key), buffers);
}

void harvestRegistry(CommandCatalogue &catalogue) {
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_USERS, HKEY_LOCAL_MACHINE};
    for (HKEY root : roots) {
        RegistryKey software;
        if (!software.openForReading(root, "SOFTWARE"))
            continue;
        ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
        harvestRegistryKey(catalogue, std::move(software));
    }
}

void harvestCatalogue(CommandCatalogue &catalogue) {
    harvestSystemPages(catalogue);
    for (const SpecialFolderStep &step : kLeadingFolders) {
        if (harvestStopping)
            return;
        harvestSpecialFolder(catalogue, step.csidl, step.depth, step.maxSubfolders, step.countUse);
    }
    void (*const middleSteps[])(CommandCatalogue &) = {harvestSearchPath, harvestBrowserBookmarks,
                                                       harvestBrowserHistory, harvestRegistry};
    for (auto step : middleSteps) {
        if (harvestStopping)
            return;
        step(catalogue);
    }
    for (const SpecialFolderStep &step : kTrailingFolders) {
        if (harvestStopping)
            return;
        harvestSpecialFolder(catalogue, step.csidl, step.depth, step.maxSubfolders, step.countUse);
    }
}

void stopHarvest() { harvestStopping = true; }

#include "harvest/browser_bookmarks.h"

#include "harvest/bookmark_tree.h"
#include "harvest/chromium_profiles.h"
#include "harvest/firefox_backups.h"
#include "harvest/firefox_profiles.h"

#include <unordered_set>

namespace {

// The bookmarks gathered so far, each address once.
class BookmarkGathering {
public:
    explicit BookmarkGathering(const BrowserFileAccess &access) : access_(access) {}

    void add(std::vector<Bookmark> found, bool utf8Titles) {
        for (Bookmark &bookmark : found) {
            if (!addresses_.insert(bookmark.url).second)
                continue;
            if (utf8Titles && access_.titleToAnsi)
                bookmark.title = access_.titleToAnsi(bookmark.title);
            bookmarks_.push_back(std::move(bookmark));
        }
    }
    bool read(const std::string &path, std::string &bytes) const {
        return access_.readFile && access_.readFile(path, bytes);
    }
    // The names in folder, files or folders as asked; false when it cannot be listed.
    bool list(const std::string &folder, bool folders, std::vector<std::string> &names) const {
        std::vector<DirectoryEntry> entries;
        if (!access_.listDirectory || !access_.listDirectory(folder + "\\*", entries))
            return false;
        for (const DirectoryEntry &entry : entries) {
            if (entry.isDirectory == folders && entry.name != "." && entry.name != "..")
                names.push_back(entry.name);
        }
        return true;
    }
    std::vector<Bookmark> take() { return std::move(bookmarks_); }

private:
    const BrowserFileAccess &access_;
    std::vector<Bookmark> bookmarks_;
    std::unordered_set<std::string> addresses_;
};

// Backups are tried newest first; an older one is read only when a newer one is no backup at all
// (unreadable, or without the container's header). One that is cut or damaged inside still gives
// what it holds up to the damage.
void gatherNewestBackup(const std::string &profile, BookmarkGathering &gathering) {
    const std::string folder = profile + "\\bookmarkbackups";
    std::vector<std::string> names;
    if (!gathering.list(folder, false, names))
        return;
    for (const std::string &name : backupsNewestFirst(names)) {
        std::string file, json;
        if (gathering.read(folder + "\\" + name, file) && unpackMozLz4(file, json)) {
            gathering.add(parseFirefoxBackup(json), true);
            return;
        }
    }
}

void gatherFirefox(const std::string &roamingAppData, BookmarkGathering &gathering) {
    const std::string firefoxFolder = roamingAppData + "\\Mozilla\\Firefox\\";
    std::string profilesIni;
    if (!gathering.read(firefoxFolder + "profiles.ini", profilesIni))
        return;
    for (const std::string &profile : profileFolderPaths(firefoxFolder, profilesIni)) {
        std::string html;
        if (gathering.read(profile + "/bookmarks.html", html))
            gathering.add(parseBookmarks(html), false);
        gatherNewestBackup(profile, gathering);
    }
}

void gatherChromiumBrowser(const std::string &userData, BookmarkGathering &gathering) {
    std::vector<std::string> listed;
    if (!gathering.list(userData, true, listed))
        return; // not installed
    std::string localState;
    gathering.read(userData + "\\Local State", localState);
    for (const std::string &folder : chromiumProfileFolders(userData, listed, localState)) {
        std::string json;
        if (gathering.read(folder + "\\Bookmarks", json))
            gathering.add(parseChromiumBookmarks(json), true);
    }
}

} // namespace

std::vector<Bookmark> gatherBrowserBookmarks(const std::string &roamingAppData, const std::string &localAppData,
                                             const BrowserFileAccess &access) {
    BookmarkGathering gathering(access);
    if (!roamingAppData.empty())
        gatherFirefox(roamingAppData, gathering);
    for (const std::string &userData : chromiumUserDataFolders(localAppData, roamingAppData))
        gatherChromiumBrowser(userData, gathering);
    return gathering.take();
}

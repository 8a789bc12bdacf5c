#include "harvest/browser_history.h"

#include "harvest/chromium_profiles.h"
#include "harvest/firefox_profiles.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace {

const char *const kLogSuffixes[] = {"-wal", "-journal"};
const int64_t kDay = 24 * 60 * 60;

int64_t recencyWeight(int64_t lastVisit, int64_t now) {
    if (lastVisit <= 0)
        return 10;
    const int64_t age = now - lastVisit;
    if (age <= 4 * kDay)
        return 100;
    if (age <= 14 * kDay)
        return 70;
    if (age <= 31 * kDay)
        return 50;
    if (age <= 90 * kDay)
        return 30;
    return 10;
}

void removeCopies(const HistoryFileAccess &access) {
    if (!access.removeFile)
        return;
    access.removeFile(access.copyPath);
    for (const char *suffix : kLogSuffixes)
        access.removeFile(access.copyPath + suffix);
    access.removeFile(access.copyPath + "-shm");
}

void note(const HistoryFileAccess &access, const std::string &text) {
    if (access.note)
        access.note(text);
}

// The pages gathered so far, each address once.
class HistoryGathering {
public:
    explicit HistoryGathering(const HistoryFileAccess &access) : access_(access) {}

    void readDatabase(const std::string &path, HistoryFormat format) {
        std::vector<VisitedPage> pages;
        if (!readBrowserHistoryFile(path, format, access_, pages))
            return;
        for (VisitedPage &page : pages) {
            auto known = byAddress_.find(page.url);
            if (known == byAddress_.end()) {
                byAddress_.emplace(page.url, pages_.size());
                pages_.push_back(std::move(page));
                continue;
            }
            VisitedPage &kept = pages_[known->second];
            kept.visits += page.visits;
            kept.lastVisit = std::max(kept.lastVisit, page.lastVisit);
            if (kept.title.empty())
                kept.title = std::move(page.title);
        }
    }
    bool read(const std::string &path, std::string &bytes) const {
        return access_.readFile && access_.readFile(path, bytes);
    }
    bool listFolders(const std::string &folder, std::vector<std::string> &names) const {
        std::vector<DirectoryEntry> entries;
        if (!access_.listDirectory || !access_.listDirectory(folder + "\\*", entries))
            return false;
        for (const DirectoryEntry &entry : entries) {
            if (entry.isDirectory && entry.name != "." && entry.name != "..")
                names.push_back(entry.name);
        }
        return true;
    }
    std::vector<VisitedPage> take(int64_t now) {
        std::vector<std::pair<int64_t, size_t>> order;
        order.reserve(pages_.size());
        for (size_t i = 0; i < pages_.size(); ++i) {
            const int64_t visits = std::min<int64_t>(std::max<int64_t>(pages_[i].visits, 0), INT32_MAX);
            order.emplace_back(visits * recencyWeight(pages_[i].lastVisit, now), i);
        }
        std::sort(order.begin(), order.end(), [this](const auto &a, const auto &b) {
            if (a.first != b.first)
                return a.first > b.first;
            const VisitedPage &pa = pages_[a.second], &pb = pages_[b.second];
            if (pa.lastVisit != pb.lastVisit)
                return pa.lastVisit > pb.lastVisit;
            return pa.url < pb.url;
        });
        std::vector<VisitedPage> ranked;
        ranked.reserve(pages_.size());
        for (const auto &entry : order) {
            VisitedPage &page = pages_[entry.second];
            if (page.title.find_first_not_of(' ') == std::string::npos)
                page.title = page.url;
            else if (access_.titleToAnsi)
                page.title = access_.titleToAnsi(page.title);
            ranked.push_back(std::move(page));
        }
        return ranked;
    }

private:
    const HistoryFileAccess &access_;
    std::vector<VisitedPage> pages_;
    std::unordered_map<std::string, size_t> byAddress_;
};

void gatherFirefox(const std::string &roamingAppData, HistoryGathering &gathering) {
    const std::string firefoxFolder = roamingAppData + "\\Mozilla\\Firefox\\";
    std::string profilesIni;
    if (!gathering.read(firefoxFolder + "profiles.ini", profilesIni))
        return;
    for (const std::string &profile : profileFolderPaths(firefoxFolder, profilesIni))
        gathering.readDatabase(profile + "/places.sqlite", HistoryFormat::Firefox);
}

void gatherChromiumBrowser(const std::string &userData, HistoryGathering &gathering) {
    std::vector<std::string> listed;
    if (!gathering.listFolders(userData, listed))
        return; // not installed
    std::string localState;
    gathering.read(userData + "\\Local State", localState);
    for (const std::string &folder : chromiumProfileFolders(userData, listed, localState))
        gathering.readDatabase(folder + "\\History", HistoryFormat::Chromium);
}

} // namespace

bool readBrowserHistoryFile(const std::string &path, HistoryFormat format, const HistoryFileAccess &access,
                            std::vector<VisitedPage> &pages) {
    pages.clear();
    if (!access.copyFile || access.copyPath.empty())
        return false;
    // Left over from a database before it, or from a run that ended early.
    removeCopies(access);
    const HistoryFileAccess::Copy copied = access.copyFile(path, access.copyPath);
    if (copied == HistoryFileAccess::Copy::Missing)
        return false;
    bool ok = copied == HistoryFileAccess::Copy::Done;
    if (!ok)
        note(access, "Note: the browser history " + path + " could not be read (locked?) and is skipped");
    // Without its log the database may lack what the browser wrote last, or hold a change half made.
    for (const char *suffix : kLogSuffixes) {
        if (ok && access.copyFile(path + suffix, access.copyPath + suffix) == HistoryFileAccess::Copy::Failed) {
            note(access, "Note: the log " + path + suffix + " could not be read (locked?); the history is skipped");
            ok = false;
        }
    }
    std::string problem;
    if (ok && !readHistoryDatabase(access.copyPath, format, kMaxPagesPerProfile, pages, problem)) {
        note(access, "Note: the browser history " + path + " is skipped (" + problem + ")");
        ok = false;
    }
    removeCopies(access);
    return ok;
}

std::vector<VisitedPage> gatherBrowserHistory(const std::string &roamingAppData, const std::string &localAppData,
                                              const HistoryFileAccess &access, int64_t now) {
    HistoryGathering gathering(access);
    if (!roamingAppData.empty())
        gatherFirefox(roamingAppData, gathering);
    for (const std::string &userData : chromiumUserDataFolders(localAppData, roamingAppData))
        gatherChromiumBrowser(userData, gathering);
    return gathering.take(now);
}

#include "harvest/chromium_profiles.h"

#include "harvest/json_events.h"

#include <algorithm>

namespace {

struct BrowserFolder {
    bool roaming;
    const char *folder;
};

// Opera keeps its one profile in the folder itself, so "Bookmarks" is read there as well.
const BrowserFolder kBrowsers[] = {
    {false, "Google\\Chrome\\User Data"},
    {false, "Microsoft\\Edge\\User Data"},
    {false, "BraveSoftware\\Brave-Browser\\User Data"},
    {false, "Vivaldi\\User Data"},
    {false, "Chromium\\User Data"},
    {true, "Opera Software\\Opera Stable"},
    {true, "Opera Software\\Opera GX Stable"},
};

const size_t kMaxNameLength = 200;

bool plainFolderName(const std::string &name) {
    return !name.empty() && name.size() <= kMaxNameLength && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

// Collects the keys of the object at profile.info_cache and nothing else.
class LocalStateReader : public JsonEventsBase {
public:
    explicit LocalStateReader(std::vector<std::string> &names) : names_(names) {}

    bool start_object(std::size_t) { return open(); }
    bool start_array(std::size_t) { return open(); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool string(Json::string_t &) { return true; }
    bool key(Json::string_t &name) {
        if (keys_.size() == 3 && keys_[0] == "profile" && keys_[1] == "info_cache") {
            if (plainFolderName(name))
                names_.push_back(name);
        }
        keys_.back().swap(name);
        return true;
    }

private:
    // One entry per open object or array: the key under which its current value opened.
    bool open() {
        if (keys_.size() >= kMaxJsonDepth)
            return false;
        keys_.emplace_back();
        return true;
    }
    bool close() {
        keys_.pop_back();
        return true;
    }

    std::vector<std::string> &names_;
    std::vector<std::string> keys_;
};

} // namespace

std::vector<std::string> chromiumUserDataFolders(const std::string &localAppData, const std::string &roamingAppData) {
    std::vector<std::string> folders;
    for (const BrowserFolder &browser : kBrowsers) {
        const std::string &base = browser.roaming ? roamingAppData : localAppData;
        if (!base.empty())
            folders.push_back(base + "\\" + browser.folder);
    }
    return folders;
}

std::vector<std::string> localStateProfiles(const std::string &localState) {
    std::vector<std::string> names;
    LocalStateReader reader(names);
    readJsonEvents(localState, reader);
    return names;
}

bool isProfileFolderName(const std::string &name) {
    if (name == "Default")
        return true;
    const std::string prefix = "Profile ";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

std::vector<std::string> chromiumProfileFolders(const std::string &userData, const std::vector<std::string> &subfolders,
                                                const std::string &localState) {
    std::vector<std::string> named = localStateProfiles(localState);
    for (const std::string &name : subfolders) {
        if (isProfileFolderName(name))
            named.push_back(name);
    }
    std::vector<std::string> names{std::string()};
    for (const std::string &name : named) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    std::vector<std::string> folders;
    for (const std::string &name : names)
        folders.push_back(name.empty() ? userData : userData + "\\" + name);
    return folders;
}

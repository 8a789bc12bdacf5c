// Any bytes as a settings file: loading must neither crash nor overrun, and what is saved from the
// result must load back to the same settings and save to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/settings.h"

namespace {

// The settings file goes to a scratch folder. (The destructor also deletes "<name>.vob" in the
// current directory for every listed program; the fuzzing directory holds no such files.)
const std::string &scratchFolder() {
    static const std::string folder = [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "wl-fuzz-settings";
        std::filesystem::create_directories(p);
        return p.string();
    }();
    return folder;
}

bool same(const Settings &a, const Settings &b) {
    if (a.commandKeyId != b.commandKeyId || a.typingKeyId != b.typingKeyId || a.keyboardKeyId != b.keyboardKeyId ||
        a.completionEnabled != b.completionEnabled || a.wordListFile != b.wordListFile ||
        a.programs.size() != b.programs.size())
        return false;
    for (auto i = a.programs.begin(), j = b.programs.begin(); i != a.programs.end(); ++i, ++j)
        if (i->first != j->first || i->second.path != j->second.path ||
            i->second.learningAllowed != j->second.learningAllowed)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string path = scratchFolder() + "/wordlark.cfg";
    // Settings built from a path that cannot be written: their destructors' saves fail at once.
    const std::string unwritable = scratchFolder() + "/missing/wordlark.cfg";
    Settings loaded(unwritable);
    loaded.parse(std::string(reinterpret_cast<const char *>(data), size));
    for (const auto &entry : loaded.programs)
        if (entry.first.empty() || entry.second.path.empty() || entry.second.learningAllowed > 1)
            abort();
    char command, typing, keyboard;
    loaded.hotKeyChars(command, typing, keyboard);

    std::string saved = loaded.serialize();
    Settings again(unwritable);
    again.parse(saved);
    if (!same(loaded, again) || again.serialize() != saved)
        abort();
    // The save itself goes through the file replacement (slow: flushed to disk), so only for some
    // inputs; reading the file gives the same again.
    if (size == 0 || data[0] % 16 != 0)
        return 0;
    loaded.configPath = path;
    if (!loaded.save())
        abort();
    loaded.configPath = unwritable;
    Settings fromFile(path);
    fromFile.configPath = unwritable;
    if (!same(loaded, fromFile))
        abort();
    return 0;
}

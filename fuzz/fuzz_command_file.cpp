// Feeds arbitrary bytes to the reader of "wordlark.cmd" (a file any program of the user can
// change), and the same bytes as a typed query and as an item string to the search and the row
// builder, which must take any text the command window passes.
#include "launcher/command_catalogue.h"
#include "launcher/command_items.h"
#include "launcher/use_count_file.h"
#include "launcher/web_search.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A small catalogue, built once and never destroyed, so nothing is ever written.
CommandCatalogue &fixedCatalogue() {
    static CommandCatalogue *catalogue = [] {
        auto *built = new CommandCatalogue(25, LauncherPlatform(), "/nonexistent/wordlark.cmd");
        const char *paths[] = {"C:\\Program Files\\Tool\\Tool.exe", "C:\\Start Menu\\Tool.lnk",
                               "C:\\Docs\\Notes.txt",               "C:\\Docs\\Accounts\\Note.doc",
                               "D:\\Music\\a-b_c.d e.mp3",          "notepad.exe"};
        for (const char *path : paths)
            built->addItem(path, "", built->typeWeight(path), true);
        built->addItem("Tool \xe9t\xe9 news", "http://tool.example/", 2, false);
        return built;
    }();
    return *catalogue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    // Whatever was read is written back in a form that reads the same and writes the same bytes.
    UseCountMap counts;
    parseUseCounts(bytes, counts);
    const std::string written = formatUseCounts(counts);
    UseCountMap again;
    parseUseCounts(written, again);
    if (again != counts || formatUseCounts(again) != written)
        abort();

    // The command window's text: at most 259 bytes, ending at the first NUL.
    std::string query = bytes.substr(0, 259);
    query = query.substr(0, query.find('\0'));
    CommandCatalogue &catalogue = fixedCatalogue();
    catalogue.search(query);
    if (catalogue.searchResults().size() > 25)
        abort();
    std::vector<std::string> rows, targets;
    if (!catalogue.buildDisplayList(rows, targets) || rows.size() != targets.size() || rows.size() < 3)
        abort();
    std::string target;
    catalogue.resolveChoice(int32_t(size % 8) - 1, bytes, target);

    DisplayRow row = displayRowForItem(bytes);
    if (row.target.size() > bytes.size() || row.text.size() > bytes.size() + 1)
        abort();
    launchKey(bytes);
    if (webSearchAddress("", bytes).size() > 3 * bytes.size())
        abort();
    return 0;
}

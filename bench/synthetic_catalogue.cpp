#include "synthetic_catalogue.h"

#include <algorithm>
#include <cctype>

namespace {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    size_t below(size_t bound) { return size_t(next() % bound); }
    template <size_t N> const char *pick(const char *const (&words)[N]) { return words[below(N)]; }
    // Zipf-like: low indexes far more often, as real vocabularies are.
    template <size_t N> const char *pickSkewed(const char *const (&words)[N]) {
        size_t a = below(N), b = below(N);
        return words[a < b ? a : b];
    }

private:
    uint64_t state_;
};

const char *const kVendors[] = {"Microsoft", "Adobe",   "Mozilla", "Google",  "Apple",    "Oracle",  "Intel",
                                "Nvidia",    "Corel",   "Symantec", "Logitech", "Canon",  "Epson",   "Realtek",
                                "VideoLAN",  "Skype",   "Yahoo",   "Roxio",   "Nero",     "Winamp",  "Macromedia",
                                "Autodesk",  "Borland", "Sun",     "IBM",     "Lenovo",   "Dell",    "Creative"};
const char *const kAppWords[] = {"Office",  "Word",    "Excel",  "Outlook", "Reader",   "Acrobat", "Photoshop",
                                 "Player",  "Media",   "Studio", "Editor",  "Manager",  "Update",  "Setup",
                                 "Viewer",  "Burning", "Suite",  "Center",  "Control",  "Tools",   "Utilities",
                                 "Help",    "Readme",  "Uninstall", "Messenger", "Browser", "Firewall",
                                 "Antivirus", "Scanner", "Printer", "Camera", "Audio",   "Video",   "Sound",
                                 "Network", "Wireless", "Explorer", "Calculator", "Notepad", "Paint", "Games",
                                 "Solitaire", "Minesweeper", "Chess", "Backup", "Sync",  "Designer", "Express"};
const char *const kDocWords[] = {
    "report",   "budget",   "letter",   "invoice", "minutes", "meeting",  "project", "plan",     "proposal",
    "contract", "notes",    "summary",  "draft",   "final",   "review",   "sales",   "marketing", "accounts",
    "tax",      "return",   "holiday",  "photos",  "family",  "school",   "homework", "essay",   "thesis",
    "chapter",  "resume",   "cover",    "insurance", "bank",  "statement", "receipt", "travel",  "itinerary",
    "recipe",   "garden",   "house",    "renovation", "wedding", "party", "guest",   "list",     "schedule",
    "timesheet", "expenses", "quarterly", "annual", "forecast", "inventory", "customer", "supplier", "order",
    "presentation", "slides", "training", "manual", "guide",  "policy",   "agenda",  "memo",     "newsletter",
    "brochure", "catalogue", "price",   "quote",   "estimate", "application", "form", "survey",  "results",
    "analysis", "research", "data",     "figures", "chart",   "diagram",  "design",  "notes",    "requirements"};
const char *const kMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                               "july",    "august",   "september", "october", "november", "december"};
const char *const kFolders[] = {"Work",     "Personal", "Projects", "Archive",  "Clients", "Finance", "Home",
                                "Old",      "New",      "Shared",   "Scans",    "Downloads", "Temp",  "Backup",
                                "Taxes",    "Kids",     "Travel",   "Recipes",  "Letters", "Reports", "Office"};
const char *const kSyllables[] = {"ka", "lo", "mi", "ra", "ven", "tor", "sa", "bel", "dor", "ni", "qu", "ex",
                                  "al", "stra", "mon", "pe", "lin", "cor", "da", "zu", "fen", "gri", "ho", "jas",
                                  "ul", "wyn", "pol", "ter", "cha", "ri"};
const char *const kSites[] = {"news",  "weather", "sports", "shop",   "bank",   "travel",  "recipes", "forum",
                              "wiki",  "mail",    "maps",   "photos", "music",  "video",   "games",   "jobs",
                              "radio", "books",   "health", "garden", "movies", "tickets", "auction", "blog"};
const char *const kUsers[] = {"Administrator", "Anna", "Peter", "Maria", "John", "Owner"};

std::string capitalised(std::string word) {
    if (!word.empty())
        word[0] = char(std::toupper(static_cast<unsigned char>(word[0])));
    return word;
}

// An invented word of two or three syllables: project code names, artists, places.
std::string inventedWord(Random &random) {
    std::string word = random.pick(kSyllables);
    word += random.pick(kSyllables);
    if (random.below(2))
        word += random.pick(kSyllables);
    return word;
}

std::string number(size_t value, int width) {
    std::string digits = std::to_string(value);
    while (int(digits.size()) < width)
        digits.insert(digits.begin(), '0');
    return digits;
}

} // namespace

int32_t syntheticTypeWeight(const std::string &path) {
    size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char &ch : ext)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    if (ext == "exe" || ext == "lnk" || ext == "doc" || ext == "xls" || ext == "pdf" || ext == "ppt")
        return 3;
    if (ext == "mp3" || ext == "jpg" || ext == "zip" || ext == "url" || ext == "wmv")
        return 2;
    return 1;
}

std::string syntheticShortPath(const std::string &folder) {
    std::string result;
    size_t start = 0;
    while (start <= folder.size()) {
        size_t end = folder.find('\\', start);
        if (end == std::string::npos)
            end = folder.size();
        std::string part = folder.substr(start, end - start);
        bool plain = part.size() <= 8 && part.find(' ') == std::string::npos;
        if (!plain) {
            std::string shortPart;
            for (char ch : part)
                if (std::isalnum(static_cast<unsigned char>(ch)) && shortPart.size() < 6)
                    shortPart += char(std::toupper(static_cast<unsigned char>(ch)));
            part = shortPart + "~1";
        }
        result += part;
        if (end == folder.size())
            break;
        result += '\\';
        start = end + 1;
    }
    return result;
}

std::vector<SyntheticItem> syntheticItems(size_t count) {
    Random random(0x5eed1234abcdULL);
    std::vector<SyntheticItem> items;
    items.reserve(count);
    const std::string allUsers = "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\";
    while (items.size() < count) {
        const std::string user = random.pick(kUsers);
        const std::string profile = "C:\\Documents and Settings\\" + user + "\\";
        SyntheticItem item{"", "", 1, false};
        size_t kind = random.below(100);
        if (kind < 10) { // Start menu shortcuts
            item.text = allUsers + random.pick(kVendors) + "\\" + random.pickSkewed(kAppWords) + " " +
                        random.pickSkewed(kAppWords) + ".lnk";
            item.countUse = true;
        } else if (kind < 18) { // programs
            std::string vendor = random.pick(kVendors);
            item.text = "C:\\Program Files\\" + vendor + "\\" + random.pickSkewed(kAppWords) + " " +
                        number(random.below(12) + 1, 1) + "\\" + random.pickSkewed(kAppWords) +
                        (random.below(3) ? ".exe" : ".txt");
        } else if (kind < 48) { // documents
            static const char *const kDocExts[] = {".doc", ".xls", ".pdf", ".txt", ".ppt", ".rtf", ".csv"};
            item.text = profile + "My Documents\\" + random.pick(kFolders) + "\\" + capitalised(inventedWord(random)) +
                        "\\" + capitalised(random.pickSkewed(kDocWords)) + " " + random.pickSkewed(kDocWords) + " " +
                        random.pick(kMonths) + " " + number(1998 + random.below(12), 4) + random.pick(kDocExts);
        } else if (kind < 63) { // music
            item.text = profile + "My Documents\\My Music\\" + capitalised(inventedWord(random)) + " " +
                        capitalised(inventedWord(random)) + "\\" + capitalised(inventedWord(random)) + "\\" +
                        number(random.below(20) + 1, 2) + " - " + capitalised(inventedWord(random)) + " " +
                        random.pickSkewed(kDocWords) + ".mp3";
        } else if (kind < 75) { // pictures
            item.text = profile + "My Documents\\My Pictures\\" + capitalised(random.pick(kMonths)) + " " +
                        number(2000 + random.below(9), 4) + "\\IMG_" + number(random.below(10000), 4) + ".jpg";
        } else if (kind < 82) { // source files
            static const char *const kSourceExts[] = {".cpp", ".h", ".c", ".py", ".java", ".js", ".html", ".xml"};
            item.text = "C:\\src\\" + inventedWord(random) + "\\" + inventedWord(random) + "\\" + inventedWord(random) +
                        "_" + random.pickSkewed(kDocWords) + random.pick(kSourceExts);
        } else if (kind < 87) { // folders
            item.text = profile + "My Documents\\" + random.pick(kFolders) + "\\" + capitalised(inventedWord(random));
        } else { // bookmarks
            std::string site = random.pick(kSites);
            std::string host = "www." + inventedWord(random) + site + ".com";
            item.target = "http://" + host + "/" + random.pickSkewed(kDocWords) + "/" +
                          number(random.below(100000), 5) + ".html";
            item.text = capitalised(random.pickSkewed(kDocWords)) + " " + random.pickSkewed(kDocWords) + " and " +
                        random.pickSkewed(kDocWords) + " - " + capitalised(inventedWord(random)) + " " +
                        capitalised(site);
            item.weight = 2;
            items.push_back(item);
            continue;
        }
        item.weight = syntheticTypeWeight(item.text);
        items.push_back(item);
    }
    return items;
}

std::vector<std::pair<size_t, int32_t>> syntheticLaunches(size_t itemCount) {
    Random random(0x1a0c4ULL);
    std::vector<std::pair<size_t, int32_t>> launches;
    for (size_t rank = 0; rank < 3000; ++rank) {
        int32_t times = int32_t(2000 / (rank + 1));
        launches.emplace_back(random.below(itemCount), times < 1 ? 1 : times);
    }
    return launches;
}

std::vector<SyntheticPage> syntheticPages(size_t count) {
    Random random(0x415170f1ULL);
    // Sites visited again and again: a few hundred hosts hold most pages.
    std::vector<std::string> hosts;
    for (size_t i = 0; i < 400; ++i)
        hosts.push_back(inventedWord(random) + random.pick(kSites) + (random.below(4) ? ".com" : ".org"));
    std::vector<SyntheticPage> pages;
    pages.reserve(count);
    while (pages.size() < count) {
        const std::string &host = hosts[std::min(random.below(hosts.size()), random.below(hosts.size()))];
        const std::string site = capitalised(host.substr(0, host.find('.')));
        SyntheticPage page;
        const size_t kind = random.below(10);
        if (kind < 5) { // articles
            page.url = "https://www." + host + "/" + random.pickSkewed(kDocWords) + "/" + number(random.below(1000000), 6);
            page.title = capitalised(random.pickSkewed(kDocWords)) + " " + random.pickSkewed(kDocWords) + " and " +
                         random.pickSkewed(kDocWords) + " - " + site;
        } else if (kind < 7) { // searches
            const std::string a = random.pickSkewed(kDocWords), b = random.pickSkewed(kAppWords);
            page.url = "https://" + host + "/search?q=" + a + "+" + b;
            page.title = a + " " + b + " - " + site + " Search";
        } else if (kind < 9) { // videos
            page.url = "https://" + host + "/watch?v=" + number(random.below(100000000), 8);
            page.title = capitalised(inventedWord(random)) + " " + random.pick(kMonths) + " " +
                         number(2005 + random.below(20), 4) + " " + random.pickSkewed(kDocWords) + " - " + site;
        } else { // forum threads
            page.url = "https://forum." + host + "/t/" + number(random.below(1000000), 6);
            page.title = capitalised(random.pickSkewed(kAppWords)) + " " + random.pickSkewed(kDocWords) + " question";
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

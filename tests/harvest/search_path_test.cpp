#include "harvest/search_path.h"

#include "harvest/registry_names.h"

#include <gtest/gtest.h>

namespace {

using Folders = std::vector<std::string>;

TEST(SearchPath, SplitsAtSemicolonsAndSkipsEmptyPieces) {
    EXPECT_EQ(searchPathFolders("C:\\a;D:\\b c"), (Folders{"C:\\a", "D:\\b c"}));
    EXPECT_EQ(searchPathFolders("C:\\only"), (Folders{"C:\\only"}));
    // An empty piece would be listed as the root of the current drive.
    EXPECT_EQ(searchPathFolders(";C:\\a;;D:\\b;"), (Folders{"C:\\a", "D:\\b"}));
    EXPECT_EQ(searchPathFolders(";;"), Folders{});
    EXPECT_EQ(searchPathFolders(""), Folders{});
    // A piece of blanks is a folder name as far as the harvest knows; the listing fails later.
    EXPECT_EQ(searchPathFolders(" ;x"), (Folders{" ", "x"}));
}

int32_t fakeTypeWeight(const std::string &path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return 0;
    std::string extension = path.substr(dot + 1);
    if (extension == "exe")
        return 3;
    if (extension == "txt")
        return 1;
    return 0;
}

struct NameCase {
    const char *name;
    int32_t weight;
};

TEST(RegistryNames, AddressesAndFilePathsOnly) {
    const NameCase cases[] = {
        {"http://example.org/", 1},
        {"HTTPS://EXAMPLE.ORG", 1},
        {"HtTp://x", 1},
        {"https:/missing-slash", 0},
        {"ftp://example.org/file.exe", 0}, // no backslash, not a recognised address
        {"C:\\Tools\\tool.exe", 3},
        {"C:\\Tools\\readme.txt", 1},
        {"C:\\Tools\\library.dll", 0},
        {"C:\\Tools\\noextension", 0},
        {"tool.exe", 0}, // a bare file name
        {"", 0},
        {"http:/", 0},
    };
    for (const NameCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(registryNameWeight(c.name, fakeTypeWeight), c.weight);
    }
}

TEST(RegistryNames, ClassesKeysInAnyCapitals) {
    EXPECT_TRUE(isClassesKeyName("Classes"));
    EXPECT_TRUE(isClassesKeyName("CLASSES"));
    EXPECT_TRUE(isClassesKeyName("classes"));
    EXPECT_FALSE(isClassesKeyName("Classes2"));
    EXPECT_FALSE(isClassesKeyName("Class"));
    EXPECT_FALSE(isClassesKeyName("WOW6432Node"));
}

} // namespace

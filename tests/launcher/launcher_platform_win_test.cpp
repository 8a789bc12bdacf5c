// The platform services of the Win32 build that the portable catalogue is handed.
#include "launcher/launcher_platform.h"

#include "launcher/command_catalogue.h"
#include "launcher/command_items.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

TEST(LauncherPlatform, AnsiTextBecomesUtf8) {
    const LauncherPlatform platform = defaultLauncherPlatform();
    ASSERT_TRUE(platform.toUtf8);
    EXPECT_EQ(platform.toUtf8(""), "");
    EXPECT_EQ(platform.toUtf8("plain words"), "plain words");
    // The code page of a Western system; other systems have other letters at these bytes.
    if (GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    EXPECT_EQ(platform.toUtf8("caf\xe9 \x80"), "caf\xc3\xa9 \xe2\x82\xac");
}

// A name outside the ANSI code page is listed with '?' for the lost characters, which no file
// name holds; the catalogue must reach such a file by its short name.
TEST(LauncherPlatform, FileNamedOutsideTheCodePageIsCataloguedByAPathThatOpens) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"wl_lost_characters";
    const std::wstring file = folder + L"\\R\u00e9sum\u00e9 \u5317\u4eac.txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    HANDLE created = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);

    char ansiTemp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, ansiTemp);
    const std::string ansiFolder = std::string(ansiTemp) + "wl_lost_characters";
    {
        CommandCatalogue catalogue(25, defaultLauncherPlatform(), ansiFolder + "\\counts.cmd");
        catalogue.addFolder(ansiFolder, 1, -1, false);
        std::string query = "r\xe9sum";
        catalogue.search(query);
        ASSERT_EQ(catalogue.searchResults().size(), 1u);
        const std::string target = itemTarget(catalogue.searchResults()[0]);
        EXPECT_EQ(target.find('?'), std::string::npos) << target;
        EXPECT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES) << target;
    }
    DeleteFileW(file.c_str());
    DeleteFileW((folder + L"\\counts.cmd").c_str());
    RemoveDirectoryW(folder.c_str());
}

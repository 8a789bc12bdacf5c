#include "updater/program_file_replacement_win.h"

#include "tests/updater/updater_test_folder_win.h"

#include <gtest/gtest.h>

namespace {
using Folder = UpdaterTestFolder;
}

TEST(ProgramFileReplacement, PutsThePackagedFileInPlaceAndDropsTheOldOne) {
    Folder folder("wl_replace_ok");
    Folder::write("wordlark.exe", "old");
    Folder::write("wordlark.ex_", "new");
    Folder::write("~wordlark.exe.tmp", "left by an earlier update");

    EXPECT_TRUE(replaceProgramFile("wordlark.exe", "wordlark.ex_"));
    EXPECT_EQ(Folder::read("wordlark.exe"), "new");
    EXPECT_FALSE(Folder::exists("wordlark.ex_"));
    EXPECT_FALSE(Folder::exists("~wordlark.exe.tmp"));
}

TEST(ProgramFileReplacement, KeepsTheCurrentFileWhenThePackagedOneCannotMove) {
    Folder folder("wl_replace_back");
    Folder::write("larkhook.dll", "current library");

    // No packaged file: the set-aside file is moved back.
    EXPECT_FALSE(replaceProgramFile("larkhook.dll", "larkhook.dl_"));
    EXPECT_EQ(Folder::read("larkhook.dll"), "current library");
    EXPECT_FALSE(Folder::exists("~larkhook.dll.tmp"));

    // The packaged file is held open without delete sharing, so it cannot be renamed.
    Folder::write("larkhook.dl_", "new library");
    HANDLE held = CreateFileA("larkhook.dl_", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(replaceProgramFile("larkhook.dll", "larkhook.dl_"));
    CloseHandle(held);
    EXPECT_EQ(Folder::read("larkhook.dll"), "current library");
    EXPECT_EQ(Folder::read("larkhook.dl_"), "new library");
    EXPECT_FALSE(Folder::exists("~larkhook.dll.tmp"));
}

TEST(ProgramFileReplacement, ChangesNothingWhenTheCurrentFileCannotBeSetAside) {
    Folder folder("wl_replace_none");
    Folder::write("wordlark.ex_", "new");
    EXPECT_FALSE(replaceProgramFile("wordlark.exe", "wordlark.ex_")); // no current file
    EXPECT_EQ(Folder::read("wordlark.ex_"), "new");
    EXPECT_FALSE(Folder::exists("wordlark.exe"));

    // A set-aside file still in use blocks the rename; both files stay as they are.
    Folder::write("wordlark.exe", "old");
    Folder::write("~wordlark.exe.tmp", "still running");
    HANDLE held = CreateFileA("~wordlark.exe.tmp", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(replaceProgramFile("wordlark.exe", "wordlark.ex_"));
    CloseHandle(held);
    EXPECT_EQ(Folder::read("wordlark.exe"), "old");
    EXPECT_EQ(Folder::read("wordlark.ex_"), "new");
    EXPECT_EQ(Folder::read("~wordlark.exe.tmp"), "still running");

    EXPECT_FALSE(replaceProgramFile("", "wordlark.ex_"));
    EXPECT_FALSE(replaceProgramFile("wordlark.exe", nullptr));
    EXPECT_EQ(Folder::read("wordlark.exe"), "old");
}

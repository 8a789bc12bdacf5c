#include "updater/program_file_replacement_win.h"

#include "tests/updater/updater_test_folder_win.h"

#include <gtest/gtest.h>

namespace {

using Folder = UpdaterTestFolder;

const std::vector<FileReplacement> kProgram = {{"wordlark.exe", "wordlark.ex_"}};
const std::vector<FileReplacement> kLibrary = {{"larkhook.dll", "larkhook.dl_"}};
const std::vector<FileReplacement> kBoth = {{"wordlark.exe", "wordlark.ex_"}, {"larkhook.dll", "larkhook.dl_"}};

// Held open without delete sharing: the file can be neither renamed nor replaced.
class HeldFile {
public:
    explicit HeldFile(const char *name)
        : handle_(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace

// The files are named with their folder, wherever the current directory is.
TEST(ProgramFileReplacement, PutsThePackagedFilesInPlaceAndDropsTheOldOnes) {
    Folder folder("wl_replace_ok");
    const std::string program = folder.path() + "program\\";
    CreateDirectoryA(program.c_str(), nullptr);
    Folder::write(program + "wordlark.exe", "old program");
    Folder::write(program + "wordlark.ex_", "new program");
    Folder::write(program + "larkhook.dll", "old library");
    Folder::write(program + "larkhook.dl_", "new library");
    Folder::write(program + "~wordlark.exe.tmp", "left by an earlier update");
    Folder::write("~wordlark.exe.tmp", "not the program's");

    ReplacementFailure failure;
    EXPECT_TRUE(replaceProgramFiles({{program + "wordlark.exe", program + "wordlark.ex_"},
                                     {program + "larkhook.dll", program + "larkhook.dl_"}},
                                    failure));
    EXPECT_EQ(Folder::read(program + "wordlark.exe"), "new program");
    EXPECT_EQ(Folder::read(program + "larkhook.dll"), "new library");
    for (const char *gone : {"wordlark.ex_", "larkhook.dl_", "~wordlark.exe.tmp", "~larkhook.dll.tmp"})
        EXPECT_FALSE(Folder::exists(program + gone)) << gone;
    EXPECT_EQ(Folder::read("~wordlark.exe.tmp"), "not the program's");
}

TEST(ProgramFileReplacement, KeepsTheCurrentFileWhenThePackagedOneCannotMove) {
    Folder folder("wl_replace_back");
    Folder::write("larkhook.dll", "current library");
    ReplacementFailure failure;

    // No packaged file: the set-aside file is moved back.
    EXPECT_FALSE(replaceProgramFiles(kLibrary, failure));
    EXPECT_EQ(failure.file, "larkhook.dll");
    EXPECT_EQ(Folder::read("larkhook.dll"), "current library");
    EXPECT_FALSE(Folder::exists("~larkhook.dll.tmp"));

    Folder::write("larkhook.dl_", "new library");
    {
        HeldFile held("larkhook.dl_");
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(replaceProgramFiles(kLibrary, failure));
    }
    EXPECT_EQ(Folder::read("larkhook.dll"), "current library");
    EXPECT_EQ(Folder::read("larkhook.dl_"), "new library");
    EXPECT_FALSE(Folder::exists("~larkhook.dll.tmp"));
}

TEST(ProgramFileReplacement, ChangesNothingWhenTheCurrentFileCannotBeSetAside) {
    Folder folder("wl_replace_none");
    ReplacementFailure failure;
    // A file the folder lacks (the helper, in a folder from before it) is added.
    Folder::write("wordlark.ex_", "first");
    EXPECT_TRUE(replaceProgramFiles(kProgram, failure));
    EXPECT_EQ(Folder::read("wordlark.exe"), "first");
    EXPECT_FALSE(Folder::exists("wordlark.ex_"));

    // A set-aside file still in use blocks the rename; both files stay as they are.
    Folder::write("wordlark.ex_", "new");
    Folder::write("wordlark.exe", "old");
    Folder::write("~wordlark.exe.tmp", "still running");
    {
        HeldFile held("~wordlark.exe.tmp");
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(replaceProgramFiles(kProgram, failure));
    }
    EXPECT_EQ(Folder::read("wordlark.exe"), "old");
    EXPECT_EQ(Folder::read("wordlark.ex_"), "new");
    EXPECT_EQ(Folder::read("~wordlark.exe.tmp"), "still running");

    EXPECT_FALSE(replaceProgramFiles({{"", "wordlark.ex_"}}, failure));
    EXPECT_FALSE(replaceProgramFiles({{"wordlark.exe", ""}}, failure));
    EXPECT_EQ(Folder::read("wordlark.exe"), "old");
}

// A new program with the old hook library may not start at all: the program file that was
// already replaced goes back when the hook library cannot follow it.
TEST(ProgramFileReplacement, PutsTheFirstFileBackWhenTheSecondCannotBeReplaced) {
    Folder folder("wl_replace_pair");
    Folder::write("wordlark.exe", "old program");
    Folder::write("wordlark.ex_", "new program");
    Folder::write("larkhook.dll", "old library");
    Folder::write("larkhook.dl_", "new library");

    ReplacementFailure failure;
    {
        HeldFile held("larkhook.dll");
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(replaceProgramFiles(kBoth, failure));
    }
    EXPECT_EQ(failure.file, "larkhook.dll");
    EXPECT_NE(failure.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Folder::read("wordlark.exe"), "old program");
    EXPECT_EQ(Folder::read("larkhook.dll"), "old library");
    EXPECT_FALSE(Folder::exists("~wordlark.exe.tmp"));
    EXPECT_EQ(Folder::read("larkhook.dl_"), "new library");

    // The 64-bit program's four files, the helper new to the folder: when its library cannot be
    // placed, the helper added before it goes again and the program's pair is the old one.
    Folder::write("wordlark.ex_", "new program");
    Folder::write("wordlark32.ex_", "new helper");
    Folder::write("larkhook32.dll", "in the way");
    Folder::write("larkhook32.dl_", "new helper library");
    {
        HeldFile held("larkhook32.dll");
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(replaceProgramFiles({kBoth[0], kBoth[1], {"wordlark32.exe", "wordlark32.ex_"},
                                          {"larkhook32.dll", "larkhook32.dl_"}},
                                         failure));
    }
    EXPECT_EQ(failure.file, "larkhook32.dll");
    EXPECT_EQ(Folder::read("wordlark.exe"), "old program");
    EXPECT_EQ(Folder::read("larkhook.dll"), "old library");
    EXPECT_FALSE(Folder::exists("wordlark32.exe"));
    EXPECT_EQ(Folder::read("larkhook32.dll"), "in the way");
    EXPECT_TRUE(failure.notRestored.empty());
}

// When the old program file cannot go back (the new one, already in its place, is held open), the
// failure names it: the folder then lacks it, and the old copy lies under its set-aside name.
TEST(ProgramFileReplacement, ReportsAnOldFileThatCannotBePutBack) {
    Folder folder("wl_replace_lost");
    Folder::write("wordlark.exe", "old program");
    Folder::write("wordlark.ex_", "new program");
    Folder::write("larkhook.dll", "old library");
    Folder::write("larkhook.dl_", "new library");

    ReplacementFailure failure;
    {
        // The new program may move into place (its opener lets it be renamed) but not be replaced.
        HANDLE newProgram = CreateFileA("wordlark.ex_", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(newProgram, INVALID_HANDLE_VALUE);
        HeldFile library("larkhook.dll");
        ASSERT_TRUE(library.held());
        EXPECT_FALSE(replaceProgramFiles(kBoth, failure));
        CloseHandle(newProgram);
    }
    EXPECT_EQ(failure.file, "larkhook.dll");
    ASSERT_EQ(failure.notRestored, std::vector<std::string>{"wordlark.exe"});
    EXPECT_EQ(Folder::read("~wordlark.exe.tmp"), "old program");
    EXPECT_EQ(Folder::read("larkhook.dll"), "old library");
}

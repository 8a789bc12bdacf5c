#include "updater/cabinet_extraction_win.h"

#include "tests/updater/cabinet_writer.h"
#include "tests/updater/updater_test_folder_win.h"

#include <gtest/gtest.h>

// A DLL in the program folder is loaded in place of the system's at the next start (uxtheme.dll
// is imported by the program): only the two packaged files may leave the cabinet.
TEST(CabinetExtraction, WritesOnlyThePackagedFilesIntoTheFolder) {
    UpdaterTestFolder root("wl_cab_root");
    CreateDirectoryA((root.path() + "program").c_str(), nullptr);
    const std::string folder = root.path() + "program\\";
    UpdaterTestFolder::write(folder + "english.voc", "old vocabulary");
    UpdaterTestFolder::write("cabinet.cab", cabinet_writer::build({
                                                {"uxtheme.dll", "planted library"},
                                                {"WordLark.EX_", "new program"},
                                                {"english.voc", "new vocabulary"},
                                                {"LARKHO~1.DL_", "short name"},
                                                {"..\\larkhook.dl_", "escape"},
                                                {"larkhook.dl_", "new library"},
                                                {"wordlark.exe", "unchecked program"},
                                            }));

    DWORD error = 1;
    ASSERT_TRUE(extractCabinetMembers((root.path() + "cabinet.cab").c_str(), folder.c_str(), error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(UpdaterTestFolder::read(folder + "wordlark.ex_"), "new program");
    EXPECT_EQ(UpdaterTestFolder::read(folder + "larkhook.dl_"), "new library");
    EXPECT_EQ(UpdaterTestFolder::read(folder + "english.voc"), "old vocabulary");
    for (const char *skipped : {"uxtheme.dll", "LARKHO~1.DL_", "wordlark.exe"})
        EXPECT_FALSE(UpdaterTestFolder::exists(folder + skipped)) << skipped;
    EXPECT_FALSE(UpdaterTestFolder::exists(root.path() + "larkhook.dl_"));
}

TEST(CabinetExtraction, DamagedOrMissingCabinetsFailWithAnError) {
    UpdaterTestFolder root("wl_cab_bad");
    const std::string good = cabinet_writer::build({{"wordlark.ex_", std::string(1000, 'a')}});
    UpdaterTestFolder::write("garbage.cab", "<html>404 Not Found</html>");
    UpdaterTestFolder::write("cut.cab", good.substr(0, good.size() - 500));

    for (const char *name : {"garbage.cab", "cut.cab", "missing.cab"}) {
        DWORD error = ERROR_SUCCESS;
        EXPECT_FALSE(extractCabinetMembers((root.path() + name).c_str(), root.path().c_str(), error)) << name;
        EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS)) << name;
    }
}

namespace {

// What another process would do to the downloaded cabinet between its check and its extraction:
// put a cabinet of its own in its place, by replacing the file or by writing into it.
std::string g_forgedCabinet;
bool g_swapped = false;

void swapCabinet(const char *path) {
    UpdaterTestFolder::write("forged.cab", g_forgedCabinet);
    g_swapped = MoveFileExA("forged.cab", path, MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!g_swapped) {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            g_swapped = WriteFile(file, g_forgedCabinet.data(), static_cast<DWORD>(g_forgedCabinet.size()), &written,
                                  nullptr) != FALSE;
            CloseHandle(file);
        }
    }
}

} // namespace

// The checked bytes are what is extracted: a cabinet swapped in before the file is held is found
// and nothing is extracted; once held, the file cannot be swapped at all.
TEST(CabinetExtraction, ExtractsTheCheckedBytesWhateverHappensToTheFileOnDisk) {
    UpdaterTestFolder root("wl_cab_held");
    const std::string checked = cabinet_writer::build({{"wordlark.ex_", "checked program"}});
    g_forgedCabinet = cabinet_writer::build({{"wordlark.ex_", "forged program"}});
    DWORD error = ERROR_SUCCESS;

    HeldCabinetSeams beforeHolding;
    beforeHolding.written = swapCabinet;
    g_swapped = false;
    EXPECT_FALSE(extractHeldCabinet(checked, root.path().c_str(), error, beforeHolding));
    EXPECT_TRUE(g_swapped);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_CORRUPT));
    EXPECT_FALSE(UpdaterTestFolder::exists(root.path() + "wordlark.ex_"));

    HeldCabinetSeams whileHeld;
    whileHeld.held = swapCabinet;
    g_swapped = true;
    EXPECT_TRUE(extractHeldCabinet(checked, root.path().c_str(), error, whileHeld));
    EXPECT_FALSE(g_swapped);
    EXPECT_EQ(UpdaterTestFolder::read(root.path() + "wordlark.ex_"), "checked program");

    // The temporary cabinet is gone either way.
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(temp) + "wlu*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

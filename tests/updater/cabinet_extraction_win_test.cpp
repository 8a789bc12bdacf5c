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

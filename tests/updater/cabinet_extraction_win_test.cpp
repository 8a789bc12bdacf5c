#include "updater/cabinet_extraction_win.h"

#include "tests/updater/cabinet_writer.h"
#include "tests/updater/updater_test_folder_win.h"

#include <gtest/gtest.h>

TEST(CabinetExtraction, WritesEveryMemberIntoTheFolderUnderItsPlainName) {
    UpdaterTestFolder root("wl_cab_root");
    CreateDirectoryA((root.path() + "program").c_str(), nullptr);
    const std::string folder = root.path() + "program\\";
    UpdaterTestFolder::write(folder + "english.voc", "old vocabulary");
    UpdaterTestFolder::write("cabinet.cab", cabinet_writer::build({
                                                {"wordlark.ex_", "new program"},
                                                {"english.voc", "new vocabulary"},
                                                {"sub\\notes.txt", "notes"},
                                                {"..\\escape.txt", "escape"},
                                                {"C:\\windows\\drive.txt", "drive"},
                                                {"..", "dots"},
                                                {"nul", "device"},
                                                {"wordlark.exe", "unchecked program"},
                                            }));

    DWORD error = 1;
    ASSERT_TRUE(extractCabinetMembers((root.path() + "cabinet.cab").c_str(), folder.c_str(), error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(UpdaterTestFolder::read(folder + "wordlark.ex_"), "new program");
    EXPECT_EQ(UpdaterTestFolder::read(folder + "english.voc"), "new vocabulary"); // overwritten
    EXPECT_EQ(UpdaterTestFolder::read(folder + "notes.txt"), "notes");
    EXPECT_EQ(UpdaterTestFolder::read(folder + "escape.txt"), "escape");
    EXPECT_EQ(UpdaterTestFolder::read(folder + "drive.txt"), "drive");
    EXPECT_FALSE(UpdaterTestFolder::exists(root.path() + "escape.txt"));
    EXPECT_FALSE(UpdaterTestFolder::exists(folder + "sub"));
    EXPECT_FALSE(UpdaterTestFolder::exists(folder + "wordlark.exe"));
}

TEST(CabinetExtraction, DamagedOrMissingCabinetsFailWithAnError) {
    UpdaterTestFolder root("wl_cab_bad");
    const std::string good = cabinet_writer::build({{"a.txt", std::string(1000, 'a')}});
    UpdaterTestFolder::write("garbage.cab", "<html>404 Not Found</html>");
    UpdaterTestFolder::write("cut.cab", good.substr(0, good.size() - 500));

    for (const char *name : {"garbage.cab", "cut.cab", "missing.cab"}) {
        DWORD error = ERROR_SUCCESS;
        EXPECT_FALSE(extractCabinetMembers((root.path() + name).c_str(), root.path().c_str(), error)) << name;
        EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS)) << name;
    }
}

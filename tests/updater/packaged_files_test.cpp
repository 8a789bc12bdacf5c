#include "updater/packaged_files.h"

#include <gtest/gtest.h>

TEST(PackagedFiles, OnlyThePackagesOwnFilesAreTakenFromACabinet) {
    for (UpdatePackage package : {UpdatePackage::ThirtyTwoBit, UpdatePackage::SixtyFourBit}) {
        EXPECT_EQ(packagedMemberName("wordlark.ex_", package), "wordlark.ex_");
        EXPECT_EQ(packagedMemberName("larkhook.dl_", package), "larkhook.dl_");
        EXPECT_EQ(packagedMemberName("WordLark.EX_", package), "wordlark.ex_");

        const char *const skipped[] = {
            "uxtheme.dll",  "version.dll",   "wordlark.exe",     "larkhook.dll",     "WORDLA~1.EX_", "LARKHO~1.DL_",
            "WORDLA~1.EXE", "english.voc",   "sub\\wordlark.ex_", "..\\larkhook.dl_", "C:wordlark.ex_",
            "wordlark.ex_ ", "wordlark.ex_.", "wordlark.ex_:stream", "", "wordlark32.exe", "larkhook32.dll",
        };
        for (const char *name : skipped)
            EXPECT_EQ(packagedMemberName(name, package), "") << name;
    }
    // The helper comes only with the 64-bit program.
    EXPECT_EQ(packagedMemberName("wordlark32.ex_", UpdatePackage::SixtyFourBit), "wordlark32.ex_");
    EXPECT_EQ(packagedMemberName("LARKHOOK32.DL_", UpdatePackage::SixtyFourBit), "larkhook32.dl_");
    EXPECT_EQ(packagedMemberName("wordlark32.ex_", UpdatePackage::ThirtyTwoBit), "");
}

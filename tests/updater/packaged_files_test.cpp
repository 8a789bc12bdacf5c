#include "updater/packaged_files.h"

#include <gtest/gtest.h>

TEST(PackagedFiles, OnlyTheTwoPackagedFilesAreTakenFromACabinet) {
    EXPECT_EQ(packagedMemberName("wordlark.ex_"), "wordlark.ex_");
    EXPECT_EQ(packagedMemberName("larkhook.dl_"), "larkhook.dl_");
    EXPECT_EQ(packagedMemberName("WordLark.EX_"), "wordlark.ex_");

    const char *const skipped[] = {
        "uxtheme.dll",  "version.dll",   "wordlark.exe",     "larkhook.dll",     "WORDLA~1.EX_", "LARKHO~1.DL_",
        "WORDLA~1.EXE", "english.voc",   "sub\\wordlark.ex_", "..\\larkhook.dl_", "C:wordlark.ex_",
        "wordlark.ex_ ", "wordlark.ex_.", "wordlark.ex_:stream", "",
    };
    for (const char *name : skipped)
        EXPECT_EQ(packagedMemberName(name), "") << name;
}

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

TEST(PackagedFiles, OnlyANewerReleaseOfOneVersionIsInstalled) {
    const uint64_t running = releaseVersion(1, 4, 2);
    const struct {
        std::vector<uint64_t> files;
        UpdateVersion verdict;
    } cases[] = {
        {{releaseVersion(1, 4, 3), releaseVersion(1, 4, 3)}, UpdateVersion::Newer},
        {{releaseVersion(1, 5, 0), releaseVersion(1, 5, 0), releaseVersion(1, 5, 0), releaseVersion(1, 5, 0)},
         UpdateVersion::Newer},
        {{releaseVersion(2, 0, 0)}, UpdateVersion::Newer},
        {{releaseVersion(1, 4, 2), releaseVersion(1, 4, 2)}, UpdateVersion::NotNewer},
        {{releaseVersion(1, 4, 1), releaseVersion(1, 4, 1)}, UpdateVersion::NotNewer},
        // A patch number above the running one's does not outweigh a lower minor number.
        {{releaseVersion(1, 3, 9000), releaseVersion(1, 3, 9000)}, UpdateVersion::NotNewer},
        {{releaseVersion(0, 255, 65535)}, UpdateVersion::NotNewer},
        // A newer program with an older hook library is no release at all.
        {{releaseVersion(1, 5, 0), releaseVersion(1, 4, 2)}, UpdateVersion::Mixed},
        {{releaseVersion(1, 4, 2), releaseVersion(1, 5, 0)}, UpdateVersion::Mixed},
        {{}, UpdateVersion::Mixed},
    };
    for (const auto &c : cases)
        EXPECT_EQ(judgeUpdateVersion(c.files, running), c.verdict) << c.files.size();
    EXPECT_EQ(releaseVersionText(releaseVersion(1, 4, 2)), "1.4.2");
    EXPECT_EQ(releaseVersionText(releaseVersion(255, 255, 65535)), "255.255.65535");
}

#include "updater/packaged_files.h"
#include "updater/pe_image.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "wordlark_version.h"

// The updater compares the files of an update with the number it was built with: the version
// resource that the build writes into a program file must read back as that same number, through
// the updater's reader and through Windows' own.
TEST(ReleaseVersion, TheProgramFilesVersionResourceIsTheBuildsNumber) {
    char path[MAX_PATH] = "";
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    const uint64_t built = releaseVersion(WL_VERSION_MAJOR, WL_VERSION_MINOR, WL_VERSION_PATCH);
    uint64_t read = 0;
    ASSERT_TRUE(filePeVersion(path, read));
    EXPECT_EQ(releaseVersionText(read), WL_VERSION_TEXT);
    EXPECT_EQ(read, built);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, &info[0]));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(static_cast<uint64_t>(fixed->dwFileVersionMS) << 32 | fixed->dwFileVersionLS, built);
    EXPECT_EQ(static_cast<uint64_t>(fixed->dwProductVersionMS) << 32 | fixed->dwProductVersionLS, built);
}

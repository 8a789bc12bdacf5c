// The platform services of the Win32 build that the portable catalogue is handed.
#include "launcher/launcher_platform.h"

#include <gtest/gtest.h>

#include <windows.h>

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

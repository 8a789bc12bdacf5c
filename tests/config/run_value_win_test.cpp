#include "config/run_value_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kValue[] = "WordlarkRunValueTest";

std::string readRunValue(const char *name, DWORD &type) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kRunKey, &key) != ERROR_SUCCESS)
        return "<no key>";
    char data[MAX_PATH + 1] = "";
    DWORD size = MAX_PATH;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

} // namespace

TEST(RunValue, WritesFindsAndDeletesTheStartUpValue) {
    // A user's Run key always exists; a fresh test prefix may lack it.
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kRunKey, &created), ERROR_SUCCESS);
    RegCloseKey(created);
    deleteRunValue(kValue, 0);

    EXPECT_FALSE(runValueExists(kValue, 0));
    EXPECT_FALSE(deleteRunValue(kValue, 0)); // nothing to delete

    ASSERT_TRUE(addStartupValue(nullptr, kValue, 0));
    EXPECT_TRUE(runValueExists(kValue, 0));
    char ownPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, ownPath, MAX_PATH);
    DWORD type = 0;
    EXPECT_EQ(readRunValue(kValue, type), ownPath); // the bare path: no quotes, no arguments
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    ASSERT_TRUE(writeRunValue(kValue, "C:\\Program Files\\Wordlark\\wordlark.exe", 0));
    EXPECT_EQ(readRunValue(kValue, type), "C:\\Program Files\\Wordlark\\wordlark.exe");

    EXPECT_TRUE(deleteRunValue(kValue, 0));
    EXPECT_FALSE(runValueExists(kValue, 0));
    EXPECT_EQ(readRunValue(kValue, type), "<no value>");
}

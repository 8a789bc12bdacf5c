#include "updater/cabinet_member_name.h"

#include <gtest/gtest.h>

TEST(CabinetMemberName, KeepsPlainNamesAndDropsFolderDriveAndParentParts) {
    const struct {
        const char *inCabinet;
        const char *expected;
    } cases[] = {
        {"wordlark.ex_", "wordlark.ex_"},    {"larkhook.dl_", "larkhook.dl_"},
        {"english.voc", "english.voc"},      {"read me.txt", "read me.txt"},
        {"sub\\english.voc", "english.voc"}, {"sub/english.voc", "english.voc"},
        {"..\\evil.dll", "evil.dll"},        {"..\\..\\..\\windows\\system32\\evil.dll", "evil.dll"},
        {"../../evil.dll", "evil.dll"},      {"C:\\Windows\\evil.dll", "evil.dll"},
        {"C:evil.dll", "evil.dll"},          {"\\\\server\\share\\evil.dll", "evil.dll"},
        {"notes.txt.", "notes.txt"},         {"notes.txt . ", "notes.txt"},
        {"\xe9t\xe9.txt", "\xe9t\xe9.txt"}, // ANSI bytes above 0x7F are ordinary letters
    };
    for (const auto &c : cases)
        EXPECT_EQ(safeMemberName(c.inCabinet), c.expected) << c.inCabinet;
}

TEST(CabinetMemberName, SkipsNamesThatCannotBeMadeSafe) {
    const char *const unsafe[] = {
        "",
        "..",
        ".",
        "...",
        "sub\\",
        "sub\\..",
        "C:",
        "a<b.txt",
        "a>b.txt",
        "a|b.txt",
        "a?b.txt",
        "a*b.txt",
        "a\"b.txt",
        "tab\there",
        "NUL",
        "nul.txt",
        "sub\\con",
        "Com1.dll",
        "LPT9.txt",
        "aux .txt",
        "CONOUT$",
        "wordlark.exe",
        "sub\\WORDLARK.EXE",
        "larkhook.dll",
        "..\\LarkHook.Dll",
    };
    for (const char *name : unsafe)
        EXPECT_EQ(safeMemberName(name), "") << name;
    EXPECT_EQ(safeMemberName(std::string(256, 'a')), "");
    EXPECT_EQ(safeMemberName(std::string(255, 'a')), std::string(255, 'a'));
    EXPECT_EQ(safeMemberName("com0.txt"), "com0.txt");
    EXPECT_EQ(safeMemberName("console.txt"), "console.txt");
}

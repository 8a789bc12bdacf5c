#include "launcher/command_items.h"
#include "launcher/name_initials.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(CommandItemsTest, SplitWordsAtEverySeparatorWithoutEmptyWords) {
    EXPECT_EQ((Words{"c", "program", "files", "tool", "tool", "exe"}), splitWords("c:\\program files\\tool\\tool.exe", 1));
    EXPECT_EQ((Words{"program", "files", "tool", "tool", "exe"}), splitWords("c:\\program files\\tool\\tool.exe", 2));
    EXPECT_EQ((Words{"a", "b", "c", "d", "e", "f", "g"}), splitWords("a\\b:c/d-e.f_g", 1));
    EXPECT_EQ((Words{}), splitWords("-._ \\\\//::", 1));
    EXPECT_EQ((Words{}), splitWords("", 1));
    EXPECT_EQ((Words{"ab"}), splitWords("__ab__", 1));
    // A tab, a comma and 8-bit letters are part of a word.
    EXPECT_EQ((Words{"a\tb,c", "\xe9t\xe9"}), splitWords("a\tb,c \xe9t\xe9", 2));
}

struct InitialsCase {
    const char *item;
    const char *initials;
};

TEST(CommandItemsTest, InitialsAreThoseOfTheNamesWords) {
    const InitialsCase cases[] = {
        {"C:\\START~1\\Visual Studio Code.lnk", "vsc"},  // the folders are not the name
        {"C:\\Tools\\NotePad.exe", "np"},                 // a capital after a small letter
        {"C:\\Tools\\Notepad++.exe", "n"},                // no word inside "Notepad"
        {"C:\\Tools\\HTMLHelp.exe", "h"},                 // capitals after capitals stay one word
        {"C:\\Docs\\tax-return_2005 (final).v2.doc", "tr2fv"}, // punctuation; only the extension goes
        {"C:\\Music\\caf\xe9 \xc9t\xe9.mp3", "c\xc9"},      // 8-bit letters are letters, kept as they are
        {"http://x.example/\t\tMy Bank - Online", "mbo"},    // a title is its name, whole
        {"C:\\Folder.With.Dots\\.hidden", "h"},           // a name that is all extension
        {"notepad.exe", "n"},
        {"a b c d e f g h i j k l m n o p q r", "abcdefghijklmno"}, // at most fifteen
        {"", ""},
    };
    for (const InitialsCase &c : cases)
        EXPECT_EQ(c.initials, nameInitials(c.item)) << c.item;
}

TEST(CommandItemsTest, LowerAsciiLeavesOtherBytes) {
    std::string text = "AZaz09\xC9@[`{";
    lowerAscii(text);
    EXPECT_EQ("azaz09\xC9@[`{", text);
}

TEST(CommandItemsTest, ItemTargetIsTheTextBeforeTheFirstTwoTabs) {
    EXPECT_EQ("http://x.org/", itemTarget("http://x.org/\t\tThe title"));
    EXPECT_EQ("a\tb", itemTarget("a\tb\t\tc\t\td"));
    EXPECT_EQ("C:\\DOCUME~1\\a.txt", itemTarget("C:\\DOCUME~1\\a.txt"));
    EXPECT_EQ("", itemTarget("\t\tonly a title"));
}

TEST(CommandItemsTest, LaunchKeyMergesProgramsWithTheirShortcutsOnly) {
    EXPECT_EQ("tool", launchKey("C:\\PROGRA~1\\Tool\\Tool.exe"));
    EXPECT_EQ("tool", launchKey("C:\\DOCUME~1\\START~1\\Tool.LNK"));
    EXPECT_EQ("my.tool", launchKey("C:\\x\\My.Tool.Exe"));
    EXPECT_EQ("C:\\x\\Tool.txt", launchKey("C:\\x\\Tool.txt"));
    EXPECT_EQ("C:\\x\\Tool.exe2", launchKey("C:\\x\\Tool.exe2"));
    EXPECT_EQ("Tool.exe", launchKey("Tool.exe"));                   // no backslash
    EXPECT_EQ("C:\\a.exe\\Tool", launchKey("C:\\a.exe\\Tool"));     // dot before the last backslash
    EXPECT_EQ("", launchKey("C:\\x\\.exe"));                        // empty name stays a key
    EXPECT_EQ("http://a.b/c.exe\t\tT", launchKey("http://a.b/c.exe\t\tT")); // no backslash
}

TEST(CommandItemsTest, TitledRowCutsTitleAt50AndTargetAt55) {
    const std::string target = "http://example.com/" + std::string(60, 'p');
    const std::string title(60, 't');
    DisplayRow row = displayRowForItem(target + "\t\t" + title);
    EXPECT_EQ(target, row.target);
    EXPECT_EQ(std::string(50, 't') + "\t" + target.substr(0, 55), row.text);

    row = displayRowForItem("http://a.b/\t\tShort");
    EXPECT_EQ("Short\thttp://a.b/", row.text);
    row = displayRowForItem("http://a.b/\t\t" + std::string(50, 'x'));
    EXPECT_EQ(std::string(50, 'x') + "\thttp://a.b/", row.text);
    row = displayRowForItem("http://a.b/\t\t" + std::string(51, 'x'));
    EXPECT_EQ(std::string(50, 'x') + "\thttp://a.b/", row.text);
}

TEST(CommandItemsTest, PathRowShowsNameThenFoldersWithoutDrive) {
    DisplayRow row = displayRowForItem("C:\\PROGRA~1\\Tool\\Tool.exe");
    EXPECT_EQ("C:\\PROGRA~1\\Tool\\Tool.exe", row.target);
    EXPECT_EQ("Tool.exe\t\\PROGRA~1\\Tool\\", row.text);

    row = displayRowForItem("C:\\boot.ini");
    EXPECT_EQ("boot.ini\t\\", row.text);

    row = displayRowForItem("notepad.exe");
    EXPECT_EQ("notepad.exe", row.text);
    EXPECT_EQ("notepad.exe", row.target);
}

TEST(CommandItemsTest, LongFolderColumnDropsLeadingFoldersWholeButNeverTheLast) {
    // From the first backslash to the end: exactly 55 bytes stays whole.
    const std::string name = "file.txt";
    std::string folders = "\\" + std::string(20, 'a') + "\\" + std::string(24, 'b') + "\\"; // 47 bytes
    ASSERT_EQ(55u, folders.size() + name.size());
    EXPECT_EQ(name + "\t" + folders, displayRowForItem("C:" + folders + name).text);

    // One byte more: the first folder goes, whole.
    std::string longer = "\\" + std::string(21, 'a') + "\\" + std::string(24, 'b') + "\\";
    EXPECT_EQ(name + "\t\\" + std::string(24, 'b') + "\\", displayRowForItem("C:" + longer + name).text);

    // A last folder that alone is too long is still shown whole.
    std::string deep = "\\x\\y\\" + std::string(200, 'z') + "\\";
    EXPECT_EQ(name + "\t\\" + std::string(200, 'z') + "\\", displayRowForItem("D:" + deep + name).text);

    // A single backslash is both the first and the last: the column is that backslash alone.
    const std::string longName(80, 'q');
    EXPECT_EQ(longName + ".exe\t\\", displayRowForItem("C:\\" + longName + ".exe").text);

    // Several leading folders go until the rest fits.
    std::string many = "\\one\\two\\three\\four\\five\\six\\seven\\eight\\nine\\ten\\";
    std::string item = "E:" + many + "a-rather-long-document-name.pdf";
    std::string text = displayRowForItem(item).text;
    std::string column = text.substr(text.find('\t') + 1);
    EXPECT_LE(column.size() + std::string("a-rather-long-document-name.pdf").size(), 55u);
    EXPECT_EQ("\\seven\\eight\\nine\\ten\\", column);
}

TEST(CommandItemsTest, VeryLongItemsGiveWholeRowsWithoutOverrun) {
    std::string item = "C:";
    for (int i = 0; i < 100; ++i)
        item += "\\" + std::string(30, char('a' + i % 26));
    item += "\\" + std::string(300, 'n') + ".txt";
    DisplayRow row = displayRowForItem(item);
    EXPECT_EQ(item, row.target);
    EXPECT_EQ(std::string(300, 'n') + ".txt\t\\" + std::string(30, char('a' + 99 % 26)) + "\\", row.text);
}

} // namespace

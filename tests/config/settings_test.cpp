#include "config/settings.h"

#include <gtest/gtest.h>

#include "common/failed_saves.h"
#include "support/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Each test works in a folder of its own, which is also the current directory while it runs,
// since the learned-vocabulary files are named without a folder.
class SettingsFile : public ::testing::Test {
protected:
    void write(const std::string &bytes) { writeBytes(path_, bytes); }
    std::string read() const { return readBytes(path_); }

    ScratchFolder scratch_;
    const fs::path &folder_ = scratch_.folder();
    std::string path_ = scratch_.path("wordlark.cfg");
};

const char kDefaultFile[] = "command_key\t1058\t\r\n"
                            "wordlark_key\t1061\t\r\n"
                            "keyboard_key\t1064\t\r\n"
                            "wordlist_file\t\t\r\n"
                            "enable_completion\t1\t\r\n";

TEST_F(SettingsFile, MissingFileGivesDefaultsAndFirstSaveWritesThem) {
    Settings settings(path_);
    EXPECT_EQ(settings.commandKeyId, 1058);
    EXPECT_EQ(settings.typingKeyId, 1061);
    EXPECT_EQ(settings.keyboardKeyId, 1064);
    EXPECT_EQ(settings.completionEnabled, 1);
    EXPECT_TRUE(settings.wordListFile.empty());
    EXPECT_TRUE(settings.programs.empty());
    EXPECT_EQ(settings.configPath, path_);
    char command, typing, keyboard;
    settings.hotKeyChars(command, typing, keyboard);
    EXPECT_EQ(command, ' ');
    EXPECT_EQ(typing, 'M');
    EXPECT_EQ(keyboard, 'O');
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(read(), kDefaultFile);
}

struct LoadCase {
    const char *line;
    int commandKeyId, typingKeyId, keyboardKeyId, completionEnabled;
    const char *wordListFile;
};

TEST_F(SettingsFile, SettingLinesFollowTheLoadRules) {
    const LoadCase cases[] = {
        {"command_key\t1059\t\n", 1059, 1061, 1064, 1, ""},
        {"command_key\t1059\n", 1058, 1061, 1064, 1, ""}, // no final tab: not a setting
        {"command_key\t1059\t\r\n", 1059, 1061, 1064, 1, ""},
        {"Command_Key\t1059\t\n", 1058, 1061, 1064, 1, ""}, // other capitals: unknown key
        {"command_key \t1059\t\n", 1058, 1061, 1064, 1, ""},
        {"wordlark_key\t  +1063xyz\t\n", 1058, 1063, 1064, 1, ""},
        {"keyboard_key\t-7\t\n", 1058, 1061, -7, 1, ""},
        {"enable_completion\tno\t\n", 1058, 1061, 1064, 0, ""},
        {"enable_completion\t\t\n", 1058, 1061, 1064, 0, ""},
        {"enable_completion\t99999999999999999999\t\n", 1058, 1061, 1064, 2147483647, ""},
        {"enable_completion\t-99999999999999999999\t\n", 1058, 1061, 1064, -2147483647 - 1, ""},
        {"wordlist_file\tC:\\My Words\\list one.txt\t\r\n", 1058, 1061, 1064, 1, "C:\\My Words\\list one.txt"},
        {"wordlist_file\t C:\\a b \t\n", 1058, 1061, 1064, 1, " C:\\a b "},
        {"no tabs at all\n", 1058, 1061, 1064, 1, ""},
        {"\n\n\t\n", 1058, 1061, 1064, 1, ""},
        {"command_key\t1060\tcommand_key\t1059\n", 1058, 1061, 1064, 1, ""}, // three tabs: a program line
        {"command_key\t1059\t\ncommand_key\t1060\t", 1060, 1061, 1064, 1, ""}, // last wins, no final LF
    };
    for (const LoadCase &c : cases) {
        SCOPED_TRACE(c.line);
        write(c.line);
        Settings settings(path_);
        EXPECT_EQ(settings.commandKeyId, c.commandKeyId);
        EXPECT_EQ(settings.typingKeyId, c.typingKeyId);
        EXPECT_EQ(settings.keyboardKeyId, c.keyboardKeyId);
        EXPECT_EQ(settings.completionEnabled, c.completionEnabled);
        EXPECT_EQ(settings.wordListFile, c.wordListFile);
    }
}

TEST_F(SettingsFile, ProgramLinesAreEnteredWithPutProgram) {
    write("notepad.exe\tC:\\Windows\\notepad.exe\t1\t\r\n"
          "write.exe\tC:\\w\\write.exe\t0\textra field\tmore\t\r\n"
          "Notepad.exe\tC:\\other\\Notepad.exe\t7\t\r\n"
          "\tC:\\nameless.exe\t1\t\r\n"
          "pathless.exe\t\t1\t\r\n"
          "dup.exe\tC:\\first\\dup.exe\t1\t\r\n"
          "dup.exe\tC:\\second\\dup.exe\t0\t\r\n"
          "flagless.exe\tC:\\f.exe\tyes\t\r\n");
    Settings settings(path_);
    ASSERT_EQ(settings.programs.size(), 5u);
    EXPECT_EQ(settings.programs["notepad.exe"].path, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(settings.programs["notepad.exe"].learningAllowed, 1);
    EXPECT_EQ(settings.programs["write.exe"].learningAllowed, 0);
    EXPECT_EQ(settings.programs["Notepad.exe"].learningAllowed, 1); // other case: another entry
    EXPECT_EQ(settings.programs["dup.exe"].path, "C:\\second\\dup.exe");
    EXPECT_EQ(settings.programs["dup.exe"].learningAllowed, 0);
    EXPECT_EQ(settings.programs["flagless.exe"].learningAllowed, 0);
    EXPECT_EQ(settings.programs.count(""), 0u);
    EXPECT_EQ(settings.programs.count("pathless.exe"), 0u);
    EXPECT_EQ(settings.commandKeyId, 1058);
}

TEST_F(SettingsFile, SaveWritesSettingsThenProgramsInMapOrderWithCrLf) {
    Settings settings(path_);
    settings.commandKeyId = 1060;
    settings.typingKeyId = 1062;
    settings.keyboardKeyId = 1066;
    settings.completionEnabled = 0;
    settings.wordListFile = "C:\\lists\\my words.txt";
    settings.putProgram("zed.exe", "C:\\z\\zed.exe", true);
    settings.putProgram("Abc.exe", "C:\\a\\Abc.exe", false);
    settings.putProgram("abc.exe", "C:\\a\\abc.exe", true);
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(read(), "command_key\t1060\t\r\n"
                      "wordlark_key\t1062\t\r\n"
                      "keyboard_key\t1066\t\r\n"
                      "wordlist_file\tC:\\lists\\my words.txt\t\r\n"
                      "enable_completion\t0\t\r\n"
                      "Abc.exe\tC:\\a\\Abc.exe\t0\t\r\n"
                      "abc.exe\tC:\\a\\abc.exe\t1\t\r\n"
                      "zed.exe\tC:\\z\\zed.exe\t1\t\r\n");
}

TEST_F(SettingsFile, SavedFileLoadsBackToTheSameSettings) {
    write("dup.exe\tC:\\1\\dup.exe\t1\t\r\ndup.exe\tC:\\2\\dup.exe\t1\t\r\nwordlist_file\tC:\\w.txt\t\r\n"
          "keyboard_key\t-12\t\r\nx.exe\tC:\\x.exe\t0\t4th\t\r\n");
    std::string saved;
    {
        Settings first(path_);
        ASSERT_TRUE(first.save());
        saved = read();
        EXPECT_EQ(saved.find("C:\\1\\dup.exe"), std::string::npos); // one line for the name
        first.programs["dup.exe"].learningAllowed = 1;               // the destructor keeps dup.vob
    }
    Settings second(path_);
    EXPECT_EQ(second.keyboardKeyId, -12);
    EXPECT_EQ(second.wordListFile, "C:\\w.txt");
    ASSERT_EQ(second.programs.size(), 2u);
    EXPECT_EQ(second.programs["dup.exe"].path, "C:\\2\\dup.exe");
    ASSERT_TRUE(second.save());
    EXPECT_EQ(read(), saved);
}

TEST_F(SettingsFile, HotKeyCharactersFallBackToEachGroupsFirstKey) {
    struct Case {
        int command, typing, keyboard;
        char commandChar, typingChar, keyboardChar;
    } cases[] = {
        {1058, 1061, 1064, ' ', 'M', 'O'}, {1059, 1062, 1065, 'S', 'I', 'K'}, {1060, 1063, 1066, 'L', 'T', 'B'},
        {1061, 1059, 1058, ' ', 'M', 'O'}, // ids of other groups
        {0, -1, 99999, ' ', 'M', 'O'},
    };
    Settings settings(path_);
    for (const Case &c : cases) {
        settings.commandKeyId = c.command;
        settings.typingKeyId = c.typing;
        settings.keyboardKeyId = c.keyboard;
        char command = 0, typing = 0, keyboard = 0;
        settings.hotKeyChars(command, typing, keyboard);
        EXPECT_EQ(command, c.commandChar) << c.command;
        EXPECT_EQ(typing, c.typingChar) << c.typing;
        EXPECT_EQ(keyboard, c.keyboardChar) << c.keyboard;
    }
}

TEST_F(SettingsFile, MayLearnListsNewProgramsAsNotAllowedAndRevokesOnAnUnrelatedPath) {
    Settings settings(path_);
    EXPECT_FALSE(settings.mayLearn("notepad.exe", "C:\\Windows\\notepad.exe"));
    ASSERT_EQ(settings.programs.size(), 1u);
    EXPECT_EQ(settings.programs["notepad.exe"].learningAllowed, 0);

    settings.setLearning("notepad.exe", true);
    EXPECT_TRUE(settings.mayLearn("notepad.exe", "C:\\Windows\\notepad.exe"));
    EXPECT_TRUE(settings.mayLearn("notepad.exe", "C:\\WINDOWS\\NOTEPAD.EXE")); // the same file
    EXPECT_EQ(settings.programs["notepad.exe"].path, "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_FALSE(settings.mayLearn("notepad.exe", "D:\\Tools\\notepad.exe"));
    EXPECT_EQ(settings.programs["notepad.exe"].path, "D:\\Tools\\notepad.exe");
    EXPECT_FALSE(settings.mayLearn("notepad.exe", "C:\\Windows\\notepad.exe"));

    EXPECT_FALSE(settings.mayLearn("", "C:\\x.exe"));
    EXPECT_FALSE(settings.mayLearn("x.exe", ""));
    EXPECT_FALSE(settings.mayLearn(nullptr, "C:\\x.exe"));
    EXPECT_FALSE(settings.mayLearn("x.exe", static_cast<const char *>(nullptr)));
    settings.putProgram(nullptr, "C:\\x.exe", true);
    settings.putProgram("", "C:\\x.exe", true);
    settings.setLearning("", true);
    settings.setLearning("unlisted.exe", true);
    EXPECT_EQ(settings.programs.size(), 1u);

    ASSERT_TRUE(settings.save());
    EXPECT_NE(read().find("notepad.exe\tC:\\Windows\\notepad.exe\t0\t\r\n"), std::string::npos);
}

TEST_F(SettingsFile, AProgramUpdatedIntoASiblingVersionOrPackageFolderKeepsItsPermission) {
    const char *kOld = "C:\\Users\\u\\AppData\\Local\\slack\\app-4.41.1\\slack.exe";
    struct Case {
        const char *newPath;
        bool same;
    } cases[] = {
        {"C:\\Users\\u\\AppData\\Local\\slack\\app-4.41.2\\slack.exe", true},
        {"C:\\Users\\u\\AppData\\Local\\Slack\\app-4.42.10\\Slack.exe", true},
        {"C:\\Users\\u\\AppData\\Local\\slack\\app-4.41.2\\other.exe", false},  // another program
        {"C:\\Users\\u\\AppData\\Local\\other\\app-4.41.2\\slack.exe", false},  // another parent
        {"C:\\Users\\u\\AppData\\Local\\slack\\tools-4.41.2\\slack.exe", false}, // not a version of it
        {"C:\\Users\\u\\AppData\\Local\\slack\\current\\slack.exe", false},     // no version at all
        {"C:\\Users\\u\\AppData\\Local\\slack\\app-4.41.2\\bin\\slack.exe", false},
        {"slack.exe", false},
    };
    for (const Case &c : cases) {
        Settings settings(path_);
        settings.putProgram("slack.exe", kOld, true);
        EXPECT_EQ(settings.mayLearn("slack.exe", c.newPath), c.same) << c.newPath;
        EXPECT_EQ(settings.programs["slack.exe"].path, c.newPath);
        EXPECT_EQ(isSameProgramUpdated(c.newPath, kOld), c.same) << c.newPath;
    }
    EXPECT_FALSE(isSameProgramUpdated("C:\\1.0\\a.exe", "C:\\beta\\a.exe"));
    EXPECT_TRUE(isSameProgramUpdated("C:\\apps\\1.0\\a.exe", "C:\\apps\\1.1\\a.exe"));
    EXPECT_FALSE(isSameProgramUpdated("a.exe", "b\\a.exe"));

    // A Store app's package folder of the next version, the executable further down in it.
    const std::string kApps = "C:\\Program Files\\WindowsApps\\";
    const std::string kPackaged =
        kApps + "Microsoft.WindowsNotepad_11.2312.18.0_x64__8wekyb3d8bbwe\\Notepad\\Notepad.exe";
    const std::pair<std::string, bool> packaged[] = {
        {kApps + "Microsoft.WindowsNotepad_11.2401.26.0_x64__8wekyb3d8bbwe\\Notepad\\Notepad.exe", true},
        {kApps + "microsoft.windowsnotepad_11.2401.26.0_X64__8WEKYB3D8BBWE\\notepad\\notepad.exe", true},
        {kApps + "Other.Notepad_11.2401.26.0_x64__8wekyb3d8bbwe\\Notepad\\Notepad.exe", false},
        {kApps + "Microsoft.WindowsNotepad_11.2401.26.0_x64__otherpublisher\\Notepad\\Notepad.exe", false},
        {kApps + "Microsoft.WindowsNotepad_11.2401.26.0_arm64__8wekyb3d8bbwe\\Notepad\\Notepad.exe", false},
        {kApps + "Microsoft.WindowsNotepad_11.2401.26.0_x64__8wekyb3d8bbwe\\Other\\Notepad.exe", false},
        {kApps + "Microsoft.WindowsNotepad_beta_x64__8wekyb3d8bbwe\\Notepad\\Notepad.exe", false},
        {"C:\\Program Files\\Apps\\Microsoft.WindowsNotepad_11.2401.26.0_x64__8wekyb3d8bbwe\\Notepad\\Notepad.exe",
         false}, // not under WindowsApps
    };
    for (const auto &c : packaged) {
        Settings settings(path_);
        settings.putProgram("Notepad.exe", kPackaged, true);
        EXPECT_EQ(settings.mayLearn("Notepad.exe", c.first), c.second) << c.first;
        EXPECT_EQ(isSameProgramUpdated(kPackaged, c.first), c.second) << c.first;
    }
}

TEST_F(SettingsFile, DestructionDeletesOnlyTheLearnedFilesOfProgramsTheUserSwitchedOff) {
    for (const char *name : {"denied.exe.vob", "allowed.exe.vob", "other.vob", "never.exe.vob", "again.exe.vob",
                             "shared.exe.vob"})
        std::ofstream(name) << "word\t1\n";
    fs::create_directories("sub");
    std::ofstream("sub/evil.vob") << "x";
    std::ofstream("sub/denied.exe.vob") << "x";
    {
        Settings settings(path_);
        // A file dialog may have moved the current directory; the program folder's files count.
        fs::current_path("sub");
        for (const char *name : {"denied.exe", "allowed.exe", "sub/evil", "gone.exe", "again.exe", "shared.exe"})
            settings.putProgram(name, (std::string("C:\\") + name).c_str(), true);
        settings.putProgram("never.exe", "C:\\never.exe", false);
        for (const char *name : {"denied.exe", "sub/evil", "gone.exe", "again.exe", "never.exe"})
            settings.setLearning(name, false);
        settings.setLearning("again.exe", true); // ticked again before the end
        // A program of the same name from elsewhere takes the entry unticked: the words stay.
        EXPECT_FALSE(settings.mayLearn("shared.exe", "D:\\elsewhere\\shared.exe"));
        settings.setLearning("shared.exe", false); // the row selected, its box unchanged
    }
    fs::current_path(folder_);
    EXPECT_FALSE(fs::exists("denied.exe.vob"));
    for (const char *kept : {"allowed.exe.vob", "other.vob", "never.exe.vob", "again.exe.vob", "shared.exe.vob",
                             "sub/evil.vob", "sub/denied.exe.vob"})
        EXPECT_TRUE(fs::exists(kept)) << kept;
    EXPECT_NE(read().find("denied.exe\tC:\\denied.exe\t0\t\r\n"), std::string::npos);
}

TEST_F(SettingsFile, PathsTheAnsiCodePageSpellsAreStoredAsEverAndOthersInMarkedUtf8) {
    // Inside the program paths are UTF-8. "Caf\u00e9" is spelled by the ANSI code page (byte E9), as
    // every earlier version wrote it; a Cyrillic folder is not, and is stored in UTF-8 behind its mark.
    const std::string cyrillic = "C:\\\xD0\x9C\xD0\xBE\xD0\xB9\\app.exe";
    write("wordlist_file\tC:\\Caf\xE9\\words.txt\t\r\n"
          "caf\xE9.exe\tC:\\Caf\xE9\\caf\xE9.exe\t1\t\r\n"
          "app.exe\t\xEF\xBB\xBF" +
          cyrillic + "\t0\t\r\n");
    Settings settings(path_);
    EXPECT_EQ(settings.wordListFile, "C:\\Caf\xC3\xA9\\words.txt");
    EXPECT_EQ(settings.programs["caf\xC3\xA9.exe"].path, "C:\\Caf\xC3\xA9\\caf\xC3\xA9.exe");
    EXPECT_EQ(settings.programs["app.exe"].path, cyrillic);
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(read(), std::string("command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\n"
                                  "wordlist_file\tC:\\Caf\xE9\\words.txt\t\r\nenable_completion\t1\t\r\n"
                                  "app.exe\t\xEF\xBB\xBF") +
                          cyrillic + "\t0\t\r\ncaf\xE9.exe\tC:\\Caf\xE9\\caf\xE9.exe\t1\t\r\n");
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFileAndReportsIt) {
    write(kDefaultFile);
    const std::string unwritable = (folder_ / "missing-folder" / "wordlark.cfg").string();
    Settings settings(unwritable);
    EXPECT_FALSE(settings.save());
    EXPECT_FALSE(fs::exists(folder_ / "missing-folder"));
    EXPECT_EQ(read(), kDefaultFile);
    // The user hears of the file once, however often its save fails.
    std::vector<std::string> failed = takeFailedSaves();
    EXPECT_EQ(std::count(failed.begin(), failed.end(), unwritable), 1);
    EXPECT_FALSE(settings.save());
    failed = takeFailedSaves();
    EXPECT_EQ(std::count(failed.begin(), failed.end(), unwritable), 0);
}

TEST_F(SettingsFile, FieldsThatCannotBeWrittenAsOneLineAreLeftOut) {
    Settings settings(path_);
    settings.wordListFile = "C:\\a\tb.txt";
    settings.putProgram("tab\t.exe", "C:\\t.exe", true);
    settings.putProgram("ok.exe", "C:\\ok\n.exe", true);
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(read(), kDefaultFile);
}

} // namespace

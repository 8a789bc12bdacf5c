#pragma once

#include <map>
#include <set>
#include <string>

// The list view handle of the Configurations dialog, declared the way <windows.h> declares HWND
// so that this header stays portable.
struct HWND__;

// One program the user has typed in, keyed by its module name in Settings::programs. Names and
// paths are UTF-8 here; the file stores them as common/stored_path.h says.
struct ProgramEntry {
    std::string path;                  // full path of the executable, as GetModulePath reports it
    unsigned char learningAllowed = 0; // 0 or 1
};

// The configuration object, read from "wordlark.cfg" at start-up and written back when the
// Configurations dialog is confirmed and when it is destroyed. Used by the UI thread only; the
// worker thread destroys it after the message loop has ended.
class Settings {
public:
    // Radio-button ids of the Configurations dialog that stand for the three Ctrl hot keys.
    static constexpr int kCommandKeySpace = 1058, kCommandKeyS = 1059, kCommandKeyL = 1060;
    static constexpr int kTypingKeyM = 1061, kTypingKeyI = 1062, kTypingKeyT = 1063;
    static constexpr int kKeyboardKeyO = 1064, kKeyboardKeyK = 1065, kKeyboardKeyB = 1066;

    // Sets the defaults, stores the path and loads the file; a missing or unreadable file leaves
    // the defaults and an empty program list.
    explicit Settings(const std::string &path);
    // Saves, then deletes from the settings file's folder the ".vob" and ".pairs" files of every
    // program whose learning the user switched off (setLearning) and left off. Other files stay: a
    // program that was never allowed learns nothing, and the files of its name may hold another
    // program's words.
    ~Settings();
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    // Rewrites the whole file from the fields. The file is replaced only once the new contents are
    // completely written, so a failure leaves the previous file as it was. True on success.
    bool save() const;

    // The virtual-key characters for SetHotKeys, in its order: Search & Launch, Intelligent
    // Typing, On Screen Keyboard. An id that is not its group's second or third gives the first.
    void hotKeyChars(char &commandKey, char &enableKey, char &keyboardKey) const;

    // May the keystroke handler learn words typed in this program? A program met for the first
    // time, or a listed name that now comes from an unrelated path, is (re)listed as not allowed.
    // A listed program updated into a sibling version folder keeps its flag and takes the new
    // path (see isSameProgramUpdated). Empty or null arguments: no, and nothing changes.
    bool mayLearn(const char *moduleName, const char *modulePath);
    bool mayLearn(const std::string &moduleName, const std::string &modulePath);

    // Inserts or updates one entry; empty or null name or path: nothing.
    void putProgram(const char *moduleName, const char *path, bool learningAllowed);
    void putProgram(const std::string &moduleName, const std::string &path, bool learningAllowed);

    // Changes the flag of a listed program; nothing for a name that is not listed. Switching an
    // allowed program off marks its learned file for deletion at destruction; switching it on
    // again takes the mark away.
    void setLearning(const std::string &moduleName, bool learningAllowed);

    // Fills the program list view of the Configurations dialog: one row per program in map order,
    // its small shell icon, the path in column 1 and the learning tick box. Windows only.
    void fillProgramList(HWND__ *listView) const;

    // The settings file as save() writes it, CR LF line ends included.
    std::string serialize() const;
    // Applies the lines of a settings file's contents to the fields, as the constructor does.
    void parse(const std::string &contents);

    int commandKeyId = kCommandKeySpace;
    int typingKeyId = kTypingKeyM;
    int keyboardKeyId = kKeyboardKeyO;
    int completionEnabled = 1;
    std::map<std::string, ProgramEntry> programs; // keyed by module name, byte-wise order
    std::string configPath;
    std::string wordListFile; // UTF-8; empty for none

private:
    std::set<std::string> withdrawn_; // learning switched off by the user this session
};

// Whether newPath is the program of oldPath after an update: the same path (letter case aside),
// or the same executable name in a sibling version folder, as programs that install each update
// beside the last do ("...\app-4.41.1\slack.exe" then "...\app-4.41.2\slack.exe"): both folders
// lie in the same parent, hold digits, and differ only in their digits; or the same executable in
// the package folder of another version of a Store app ("...\WindowsApps\<name>_<version>_<arch>_
// _<publisher>\...\app.exe"), the same package by name, architecture and publisher.
bool isSameProgramUpdated(const std::string &oldPath, const std::string &newPath);

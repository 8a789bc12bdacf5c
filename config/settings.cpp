#include "config/settings.h"

#include "common/ascii_case.h"
#include "common/plain_file_name.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "common/atomic_file.h"
#include "common/file_access.h"
#include "common/file_contents.h"
#include "common/stored_path.h"

namespace {

const char kCommandKey[] = "command_key";
const char kTypingKey[] = "wordlark_key";
const char kKeyboardKey[] = "keyboard_key";
const char kWordListKey[] = "wordlist_file";
const char kEnableKey[] = "enable_completion";
const char kLearnedSuffix[] = ".vob";
const char kLearnedPairsSuffix[] = ".pairs";

// C atoi rules (leading white space, one sign, digits up to the first non-digit, none gives 0),
// except that a number beyond the int range saturates instead of being undefined.
int parseInt(const std::string &text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

// A tab or a line feed inside a field would change how the line reads back.
bool fitsInField(const std::string &text) { return text.find_first_of("\t\n") == std::string::npos; }

// The folder part of a path, with its separator; empty for a bare name.
std::string folderOf(const std::string &path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

char pickKey(int id, int second, int third, char first, char secondChar, char thirdChar) {
    if (id == second)
        return secondChar;
    if (id == third)
        return thirdChar;
    return first;
}

} // namespace

Settings::Settings(const std::string &path) : configPath(path) {
    std::string contents;
    if (readFileContents(configPath, contents))
        parse(contents);
}

Settings::~Settings() {
    save();
    const std::string folder = folderOf(configPath);
    for (const std::string &name : withdrawn_) {
        auto entry = programs.find(name);
        if (entry == programs.end() || entry->second.learningAllowed || !isPlainFileName(name))
            continue;
        removeFile(folder + name + kLearnedSuffix); // there may be none: ignored
        removeFile(folder + name + kLearnedPairsSuffix);
    }
}

void Settings::parse(const std::string &contents) {
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        // Lines end with CR LF on disk; the CR follows the last tab and is never part of a field.
        std::string line = contents.substr(start, end - start);
        start = end + 1;

        size_t tab1 = line.find('\t');
        if (tab1 == std::string::npos)
            continue;
        size_t tab2 = line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos)
            continue;
        size_t tab3 = line.find('\t', tab2 + 1);
        std::string first = line.substr(0, tab1);
        std::string second = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (tab3 != std::string::npos) {
            putProgram(pathFromStored(first), pathFromStored(second),
                       parseInt(line.substr(tab2 + 1, tab3 - tab2 - 1)) != 0);
        } else if (first == kCommandKey) {
            commandKeyId = parseInt(second);
        } else if (first == kTypingKey) {
            typingKeyId = parseInt(second);
        } else if (first == kKeyboardKey) {
            keyboardKeyId = parseInt(second);
        } else if (first == kWordListKey) {
            wordListFile = pathFromStored(second);
        } else if (first == kEnableKey) {
            completionEnabled = parseInt(second);
        }
    }
}

std::string Settings::serialize() const {
    std::string out;
    auto line = [&out](const std::string &key, const std::string &value) {
        out += key;
        out += '\t';
        out += value;
        out += "\t\r\n";
    };
    line(kCommandKey, std::to_string(commandKeyId));
    line(kTypingKey, std::to_string(typingKeyId));
    line(kKeyboardKey, std::to_string(keyboardKeyId));
    const std::string wordList = storedPath(wordListFile);
    line(kWordListKey, fitsInField(wordList) ? wordList : std::string());
    line(kEnableKey, std::to_string(completionEnabled));
    for (const auto &entry : programs) {
        const std::string name = storedPath(entry.first), path = storedPath(entry.second.path);
        if (!fitsInField(name) || !fitsInField(path))
            continue;
        out += name;
        out += '\t';
        out += path;
        out += '\t';
        out += entry.second.learningAllowed ? '1' : '0';
        out += "\t\r\n";
    }
    return out;
}

bool Settings::save() const { return replaceFileContents(configPath, serialize()); }

void Settings::hotKeyChars(char &commandKey, char &enableKey, char &keyboardKey) const {
    commandKey = pickKey(commandKeyId, kCommandKeyS, kCommandKeyL, ' ', 'S', 'L');
    enableKey = pickKey(typingKeyId, kTypingKeyI, kTypingKeyT, 'M', 'I', 'T');
    keyboardKey = pickKey(keyboardKeyId, kKeyboardKeyK, kKeyboardKeyB, 'O', 'K', 'B');
}

bool Settings::mayLearn(const char *moduleName, const char *modulePath) {
    if (!moduleName || !modulePath)
        return false;
    return mayLearn(std::string(moduleName), std::string(modulePath));
}

bool Settings::mayLearn(const std::string &moduleName, const std::string &modulePath) {
    if (moduleName.empty() || modulePath.empty())
        return false;
    auto it = programs.find(moduleName);
    if (it != programs.end() && it->second.path == modulePath)
        return it->second.learningAllowed != 0;
    if (it != programs.end() && isSameProgramUpdated(it->second.path, modulePath)) {
        it->second.path = modulePath;
        return it->second.learningAllowed != 0;
    }
    putProgram(moduleName, modulePath, false);
    return false;
}

void Settings::putProgram(const char *moduleName, const char *path, bool learningAllowed) {
    if (!moduleName || !path)
        return;
    putProgram(std::string(moduleName), std::string(path), learningAllowed);
}

void Settings::putProgram(const std::string &moduleName, const std::string &path, bool learningAllowed) {
    if (moduleName.empty() || path.empty())
        return;
    ProgramEntry &entry = programs[moduleName];
    entry.path = path;
    entry.learningAllowed = learningAllowed ? 1 : 0;
}

void Settings::setLearning(const std::string &moduleName, bool learningAllowed) {
    auto it = programs.find(moduleName);
    if (moduleName.empty() || it == programs.end())
        return;
    // Only a change counts: selecting an unticked row sets it off again, and such a program may
    // share the name, and so the file, of one that learned.
    if (it->second.learningAllowed && !learningAllowed)
        withdrawn_.insert(moduleName);
    else if (learningAllowed)
        withdrawn_.erase(moduleName);
    it->second.learningAllowed = learningAllowed ? 1 : 0;
}

namespace {

// The path cut into its parent, the folder holding the executable and the executable's name.
bool splitProgramPath(const std::string &path, std::string &parent, std::string &folder, std::string &name) {
    size_t nameStart = path.find_last_of("\\/");
    if (nameStart == std::string::npos || nameStart == 0)
        return false;
    size_t folderStart = path.find_last_of("\\/", nameStart - 1);
    if (folderStart == std::string::npos)
        return false;
    parent = path.substr(0, folderStart);
    folder = path.substr(folderStart + 1, nameStart - folderStart - 1);
    name = path.substr(nameStart + 1);
    return !folder.empty() && !name.empty();
}

// "app-4.41.1" -> "app-..": what is left of a version folder's name without its digits.
std::string withoutDigits(const std::string &text, bool &hadDigits) {
    std::string out;
    hadDigits = false;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9')
            hadDigits = true;
        else
            out += lowerAscii(ch);
    }
    return out;
}

// The pieces of text between any of the separators, empty ones included.
std::vector<std::string> splitAt(const std::string &text, const char *separators) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of(separators, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// The folders of a path, in order, its executable's name last.
std::vector<std::string> pathParts(const std::string &path) { return splitAt(path, "\\/"); }

// A Store app's package folder, "<name>_<version>_<architecture>_<resource id>_<publisher id>"
// (the resource id is mostly empty), cut into the part that names the package and its version.
bool splitPackageFolder(const std::string &folder, std::string &identity, std::string &version) {
    const std::vector<std::string> fields = splitAt(folder, "_");
    if (fields.size() != 5 || fields[0].empty() || fields[1].empty() || fields[2].empty() || fields[4].empty())
        return false;
    for (char ch : fields[1])
        if ((ch < '0' || ch > '9') && ch != '.')
            return false;
    version = fields[1];
    identity = fields[0] + '_' + fields[2] + '_' + fields[3] + '_' + fields[4];
    return true;
}

// Store apps are updated into a package folder of the new version beside the old one, under
// WindowsApps, and the executable may lie further down in the package: the same package by name,
// architecture and publisher, and the same path inside it.
bool isSamePackageUpdated(const std::string &oldPath, const std::string &newPath) {
    const std::vector<std::string> oldParts = pathParts(oldPath), newParts = pathParts(newPath);
    if (oldParts.size() != newParts.size())
        return false;
    bool package = false;
    for (size_t i = 0; i < oldParts.size(); ++i) {
        if (i > 0 && i + 1 < oldParts.size() && equalIgnoringAsciiCase(oldParts[i - 1], "WindowsApps")) {
            std::string oldIdentity, oldVersion, newIdentity, newVersion;
            if (splitPackageFolder(oldParts[i], oldIdentity, oldVersion) &&
                splitPackageFolder(newParts[i], newIdentity, newVersion)) {
                if (!equalIgnoringAsciiCase(oldIdentity, newIdentity))
                    return false;
                package = true;
                continue;
            }
        }
        if (!equalIgnoringAsciiCase(oldParts[i], newParts[i]))
            return false;
    }
    return package;
}

} // namespace

bool isSameProgramUpdated(const std::string &oldPath, const std::string &newPath) {
    if (equalIgnoringAsciiCase(oldPath, newPath))
        return true;
    if (isSamePackageUpdated(oldPath, newPath))
        return true;
    std::string oldParent, oldFolder, oldName, newParent, newFolder, newName;
    if (!splitProgramPath(oldPath, oldParent, oldFolder, oldName) ||
        !splitProgramPath(newPath, newParent, newFolder, newName))
        return false;
    if (!equalIgnoringAsciiCase(oldName, newName) || !equalIgnoringAsciiCase(oldParent, newParent))
        return false;
    bool oldDigits = false, newDigits = false;
    const std::string oldShape = withoutDigits(oldFolder, oldDigits);
    const std::string newShape = withoutDigits(newFolder, newDigits);
    return oldDigits && newDigits && oldShape == newShape;
}

#include "harvest/history_files_win.h"

#include "win32/file_handle_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// A folder in the temporary folder whose name the ANSI code page cannot spell.
class WideFolder {
public:
    WideFolder() {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"wl history \x0416\x4e2d";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~WideFolder() {
        for (const wchar_t *name : {L"\\History", L"\\copy"})
            DeleteFileW((path_ + name).c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring file(const wchar_t *name) const { return path_ + L"\\" + name; }
    std::string utf8(const wchar_t *name) const {
        const std::wstring wide = file(name);
        char text[MAX_PATH * 3] = "";
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text, sizeof(text), nullptr, nullptr);
        return text;
    }

private:
    std::wstring path_;
};

std::string readAll(const std::wstring &path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
    char buffer[256] = "";
    DWORD read = 0;
    ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr);
    return std::string(buffer, read);
}

TEST(HistoryFilesWinTest, DatabaseIsCopiedWhileItsBrowserWritesAndRefusedWhileHeldWithoutSharing) {
    WideFolder folder;
    const HistoryFileAccess access = historyFileAccess();
    ASSERT_FALSE(access.copyPath.empty());
    EXPECT_EQ(HistoryFileAccess::Copy::Missing, access.copyFile(folder.utf8(L"History"), folder.utf8(L"copy")));
    {
        // A browser holds its database open for writing and lets others read.
        FileHandle browser(CreateFileW(folder.file(L"History").c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(bool(browser));
        DWORD written = 0;
        WriteFile(browser.get(), "SQLite format 3", 15, &written, nullptr);
        EXPECT_EQ(HistoryFileAccess::Copy::Done, access.copyFile(folder.utf8(L"History"), folder.utf8(L"copy")));
        EXPECT_EQ("SQLite format 3", readAll(folder.file(L"copy")));
    }
    {
        FileHandle exclusive(
            CreateFileW(folder.file(L"History").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(bool(exclusive));
        EXPECT_EQ(HistoryFileAccess::Copy::Failed, access.copyFile(folder.utf8(L"History"), folder.utf8(L"copy")));
    }
    access.removeFile(access.copyPath);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(access.copyPath.c_str()));
}

} // namespace

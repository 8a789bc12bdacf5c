#pragma once

// A fresh folder under the temporary folder, made the current directory while the test runs;
// the previous directory is restored and the folder removed afterwards.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

class UpdaterTestFolder {
public:
    explicit UpdaterTestFolder(const char *name) {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name + std::to_string(GetCurrentProcessId()) + "\\";
        remove(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, previous_);
        SetCurrentDirectoryA(path_.c_str());
    }
    ~UpdaterTestFolder() {
        SetCurrentDirectoryA(previous_);
        remove(path_);
    }
    UpdaterTestFolder(const UpdaterTestFolder &) = delete;
    UpdaterTestFolder &operator=(const UpdaterTestFolder &) = delete;

    const std::string &path() const { return path_; }

    static void write(const std::string &file, const std::string &contents) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << contents;
    }
    static std::string read(const std::string &file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool exists(const std::string &file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    // One level of files and one level of sub-folders is all the tests make.
    static void remove(const std::string &folder) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    remove(folder + name + "\\");
                else
                    DeleteFileA((folder + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
    char previous_[MAX_PATH] = "";
};

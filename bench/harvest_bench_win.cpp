// Times the harvest under Wine or Windows.
//   harvest_bench FOLDER [DEPTH]  harvests one folder tree as a special-folder step does (six
//                                 levels, 1000 subfolders a folder unless DEPTH is given);
//   harvest_bench PROGRAM.exe     (as bench/run_wine_benchmarks.sh calls it) first makes a tree of
//                                 100,010 items beside the program, then harvests it;
//   harvest_bench --steps         the whole harvest of this machine, one source at a time.
#include "harvest/harvest_catalogue_win.h"
#include "launcher/command_catalogue.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

double nowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void timed(const char *what, const std::function<void()> &work) {
    double start = nowMs();
    work();
    double elapsed = nowMs() - start;
    printf("%-28s %10.1f ms\n", what, elapsed);
    fflush(stdout);
}

// 10 folders of 10 folders of 999 files: 100,010 items, a fifth of them of a type that is not
// catalogued. Made once; a tree left by an earlier run is used again.
int makeTree(const std::string &root) {
    const char *extensions[] = {"exe", "txt", "lnk", "dll", "doc"};
    int made = 0;
    CreateDirectoryA(root.c_str(), nullptr);
    for (int top = 0; top < 10; ++top) {
        std::string first = root + "\\group" + std::to_string(top);
        CreateDirectoryA(first.c_str(), nullptr);
        for (int sub = 0; sub < 10; ++sub) {
            std::string second = first + "\\bench shelf " + std::to_string(sub);
            if (!CreateDirectoryA(second.c_str(), nullptr))
                continue; // there already
            for (int file = 0; file < 999; ++file) {
                std::string path = second + "\\bench_item" + std::to_string(file) + "." + extensions[file % 5];
                HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
                if (handle != INVALID_HANDLE_VALUE) {
                    CloseHandle(handle);
                    ++made;
                }
            }
        }
    }
    return made;
}

std::string countFile() {
    char buffer[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, buffer);
    return std::string(buffer) + "harvest_bench.cmd";
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: harvest_bench FOLDER [DEPTH] | --steps\n");
        return 2;
    }
    CommandCatalogue catalogue(25, defaultLauncherPlatform(), countFile());
    std::string what = argv[1];
    if (what == "--steps") {
        timed("special folders 1-12", [&] {
            const int folders[] = {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU,
                                   CSIDL_RECENT, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOPDIRECTORY,
                                   CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS,
                                   CSIDL_FAVORITES};
            for (int csidl : folders)
                harvestSpecialFolder(catalogue, csidl, 6, 1000, false);
        });
        timed("PATH folders", [&] { harvestSearchPath(catalogue); });
        timed("browser bookmarks", [&] { harvestBrowserBookmarks(catalogue); });
        timed("registry value names", [&] { harvestRegistry(catalogue); });
        timed("special folders 16-20", [&] {
            harvestSpecialFolder(catalogue, CSIDL_HISTORY, 1, 100, false);
            const int folders[] = {CSIDL_PROGRAM_FILES, CSIDL_MYVIDEO, CSIDL_MYPICTURES, CSIDL_MYMUSIC};
            for (int csidl : folders)
                harvestSpecialFolder(catalogue, csidl, 2, 1000, false);
        });
    } else {
        DWORD attributes = GetFileAttributesA(what.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::string tree = what.substr(0, what.find_last_of('\\') + 1) + "harvest-tree";
            double start = nowMs();
            int made = makeTree(tree);
            printf("%-28s %10.1f ms (%d files made)\n", "making the tree", nowMs() - start, made);
            what = tree;
        }
        int depth = argc >= 3 ? atoi(argv[2]) : 6;
        timed("folder tree", [&] {
            ThreadMutexLock hold(catalogue.lock, catalogue.lock.wait());
            harvestFolderTree(catalogue, what, depth, 1000, false);
        });
        std::string query = "bench";
        catalogue.search(query);
        printf("search \"bench\": %zu results\n", catalogue.searchResults().size());
    }
    DeleteFileA(countFile().c_str());
    return 0;
}

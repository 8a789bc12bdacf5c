#include "updater/updater_win.h"

#include "updater/cabinet_extraction_win.h"
#include "updater/pe_image.h"
#include "updater/program_file_replacement_win.h"
#include "updater/update_messages_win.h"

#include <windows.h>

#include <urlmon.h>

// Each build fetches its own cabinet. The build may point the updater elsewhere (the end-to-end
// tests serve the cabinet locally).
#ifndef WL_UPDATE_URL
#ifdef _WIN64
#define WL_UPDATE_URL "https://update.wordlark.net/WordlarkUpdate64.cab"
#else
#define WL_UPDATE_URL "https://update.wordlark.net/WordlarkUpdate.cab"
#endif
#endif

namespace {

const char kUpdateUrl[] = WL_UPDATE_URL;

// A build installs only images of its own processor: a 64-bit hook library would never load into
// the 32-bit program, nor the other way round.
#ifdef _WIN64
const PeMachine kOwnMachine = PeMachine::X64;
#else
const PeMachine kOwnMachine = PeMachine::X86;
#endif

struct PackagedFile {
    const char *current;
    const char *packaged;
    PeImageKind kind;
};

// The hook library is replaced only after the program file.
const PackagedFile kPackagedFiles[] = {
    {"wordlark.exe", "wordlark.ex_", PeImageKind::Program},
    {"larkhook.dll", "larkhook.dl_", PeImageKind::Library},
};

void deletePackagedFiles() {
    for (const PackagedFile &file : kPackagedFiles)
        DeleteFileA(file.packaged);
}

// Both packaged files must be complete images of their kind before either is installed, so a
// cut-off download, an error page or a missing member never replaces a working file. A refusal
// is told like a failed extraction.
bool packagedFilesAreSound() {
    for (const PackagedFile &file : kPackagedFiles) {
        if (fileIsCompletePeImage(file.packaged, file.kind, kOwnMachine))
            continue;
        DWORD error =
            GetFileAttributesA(file.packaged) == INVALID_FILE_ATTRIBUTES ? ERROR_FILE_NOT_FOUND : ERROR_BAD_FORMAT;
        showUpdateError(error);
        return false;
    }
    return true;
}

bool installPackagedFiles() {
    for (const PackagedFile &file : kPackagedFiles) {
        if (!replaceProgramFile(file.current, file.packaged))
            return false;
    }
    return true;
}

} // namespace

bool checkForUpdates() {
    char cacheFile[MAX_PATH] = "";
    HRESULT downloaded = URLDownloadToCacheFileA(nullptr, kUpdateUrl, cacheFile, MAX_PATH, 0, nullptr);
    // Left by an earlier run that stopped before installing them.
    deletePackagedFiles();

    bool updated =
        downloaded == S_OK && extractUpdateCabinet(cacheFile) && packagedFilesAreSound() && installPackagedFiles();
    // A failed run leaves no half-extracted or refused program file behind.
    if (!updated)
        deletePackagedFiles();
    showUpdateOutcome(updated);
    return updated;
}

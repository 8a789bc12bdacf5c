#include "updater/updater_win.h"

#include "updater/cabinet_extraction_win.h"
#include "updater/packaged_files.h"
#include "updater/pe_image.h"
#include "updater/program_file_replacement_win.h"
#include "updater/update_messages_win.h"

#include <windows.h>

#include <urlmon.h>

#include <string>
#include <vector>

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
        showUpdateError("The update could not be installed: " + std::string(file.packaged) + ": " +
                        systemErrorText(error) + "\n\nNothing was changed.");
        return false;
    }
    return true;
}

bool extractUpdateCabinet(const char *cabinetPath) {
    DWORD error = ERROR_SUCCESS;
    if (extractCabinetMembers(cabinetPath, nullptr, error))
        return true;
    showUpdateError("The update could not be unpacked: " + systemErrorText(error) + "\n\nNothing was changed.");
    return false;
}

bool installPackagedFiles() {
    std::vector<FileReplacement> files;
    for (const PackagedFile &file : kPackagedFiles)
        files.push_back({file.installed, file.packaged});
    ReplacementFailure failure;
    if (replaceProgramFiles(files, failure))
        return true;
    showUpdateError("The update could not be installed: " + failure.file + " could not be replaced: " +
                    systemErrorText(failure.error) + "\n\nThe installed version was kept.");
    return false;
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

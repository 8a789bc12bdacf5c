#include "updater/updater_win.h"

#include "updater/cabinet_extraction_win.h"
#include "updater/packaged_files.h"
#include "updater/pe_image.h"
#include "updater/program_file_replacement_win.h"
#include "updater/update_download_win.h"
#include "updater/update_messages_win.h"
#include "updater/update_signature_win.h"
#include "win32/wide_path_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "wordlark_version.h"

// Each build fetches its own cabinet. The build may point the updater elsewhere (the end-to-end
// tests serve the cabinet locally).
#ifndef WL_UPDATE_URL
#ifdef _WIN64
#define WL_UPDATE_URL "https://update.wordlark.net/WordlarkUpdate64.cab"
#else
#define WL_UPDATE_URL "https://update.wordlark.net/WordlarkUpdate.cab"
#endif
#endif

// kUpdatePublicKey, made by the build from the public key it was configured with; the end-to-end
// tests' copy of the program trusts the test key instead.
#ifndef WL_UPDATE_KEY_HEADER
#define WL_UPDATE_KEY_HEADER "update_key.h"
#endif
#include WL_UPDATE_KEY_HEADER

namespace {

const char kUpdateUrl[] = WL_UPDATE_URL;
const char kSignatureUrl[] = WL_UPDATE_URL ".sig";
// Far above any cabinet of ours, far below what would strain the memory of the machine.
const size_t kMaximumCabinetSize = 64 * 1024 * 1024;
const size_t kMaximumSignatureSize = 4096;
const uint64_t kRunningVersion = releaseVersion(WL_VERSION_MAJOR, WL_VERSION_MINOR, WL_VERSION_PATCH);

// The download runs on a thread of its own: a slow or silent server must never hold up the
// user-interface thread. Replacing the files is guarded, so that the program never ends half way.
volatile LONG checkRunning = 0;
HANDLE installLock = nullptr;
bool endingProgram = false; // under installLock
const DWORD kInstallWaitMs = 30000;


// Every file of the update is named with the program folder: the current directory moves (a file
// dialog changes it).
void deletePackagedFiles(const std::string &folder) {
    for (const PackagedFile &file : packagedFiles(kThisBuildsPackage))
        DeleteFileW(widePath(folder + file.packaged).c_str());
}

// The cabinet and its signature from the server, the signature checked. False when the user has
// been told why not (or that there is no update).
bool fetchSignedCabinet(std::string &cabinet) {
    UpdateFetch fetched = fetchUpdateFile(kUpdateUrl, kMaximumCabinetSize, cabinet);
    if (fetched.outcome == UpdateFetch::NotFound) {
        showUpdateOutcome(false);
        return false;
    }
    if (fetched.outcome == UpdateFetch::Failed) {
        showUpdateError("The update could not be fetched from " + std::string(kUpdateUrl) + ": " + fetched.failure +
                        ".\n\nNothing was changed.");
        return false;
    }

    std::string signature;
    fetched = fetchUpdateFile(kSignatureUrl, kMaximumSignatureSize, signature);
    if (fetched.outcome == UpdateFetch::Failed) {
        showUpdateError("The signature of the update could not be fetched from " + std::string(kSignatureUrl) + ": " +
                        fetched.failure + ".\n\nNothing was changed.");
        return false;
    }
    // Whoever controls the server or its name could serve any program: only the makers' signature
    // tells an update from an attack.
    if (fetched.outcome == UpdateFetch::NotFound) {
        showUpdateError("The update was not installed: it has no signature.\n\nNothing was changed.");
        return false;
    }
    if (!updateSignatureIsValid(cabinet, signature, kUpdatePublicKey)) {
        showUpdateError("The update was not installed: its signature is not that of Wordlark's makers, or the "
                        "update was changed after it was signed.\n\nNothing was changed.");
        return false;
    }
    return true;
}

// Extracted from the very bytes whose signature was checked (see extractHeldCabinet).
bool extractPackagedFiles(const std::string &cabinet, const std::string &folder) {
    DWORD error = ERROR_SUCCESS;
    if (!extractHeldCabinet(cabinet, folder.c_str(), error)) {
        showUpdateError("The update could not be unpacked: " + systemErrorText(error) + "\n\nNothing was changed.");
        return false;
    }
    return true;
}

// The version travels in the signed files themselves (their version resources). An update that is
// not newer than the running program is no update: the user hears that this version is the latest.
// False when nothing is to be installed, the user told why.
bool packagedFilesAreNewer(const std::string &folder) {
    std::vector<uint64_t> versions;
    for (const PackagedFile &file : packagedFiles(kThisBuildsPackage)) {
        uint64_t version = 0;
        if (!filePeVersion(folder + file.packaged, version)) {
            showUpdateError("The update could not be installed: " + std::string(file.packaged) +
                            " carries no version.\n\nNothing was changed.");
            return false;
        }
        versions.push_back(version);
    }
    switch (judgeUpdateVersion(versions, kRunningVersion)) {
    case UpdateVersion::Newer:
        return true;
    case UpdateVersion::NotNewer:
        showUpdateOutcome(false);
        return false;
    case UpdateVersion::Mixed:
        break;
    }
    showUpdateError("The update could not be installed: its files are not of one release.\n\nNothing was changed.");
    return false;
}

// Every packaged file must be a complete image of its kind before any is installed, so a signed but
// broken cabinet, or one of the other build, never replaces a working file.
bool packagedFilesAreSound(const std::string &folder) {
    for (const PackagedFile &file : packagedFiles(kThisBuildsPackage)) {
        const std::string path = folder + file.packaged;
        if (fileIsCompletePeImage(path, file.kind, file.machine))
            continue;
        DWORD error = GetFileAttributesW(widePath(path).c_str()) == INVALID_FILE_ATTRIBUTES ? ERROR_FILE_NOT_FOUND
                                                                                            : ERROR_BAD_FORMAT;
        showUpdateError("The update could not be installed: " + std::string(file.packaged) + ": " +
                        systemErrorText(error) + "\n\nNothing was changed.");
        return false;
    }
    return true;
}

bool installPackagedFiles(const std::string &folder) {
    std::vector<FileReplacement> files;
    for (const PackagedFile &file : packagedFiles(kThisBuildsPackage))
        files.push_back({folder + file.installed, folder + file.packaged});
    ReplacementFailure failure;
    if (replaceProgramFiles(files, failure))
        return true;
    std::string text = "The update could not be installed: " + failure.file.substr(folder.size()) +
                       " could not be replaced: " + systemErrorText(failure.error);
    if (failure.notRestored.empty()) {
        showUpdateError(text + "\n\nThe installed version was kept.");
        return false;
    }
    // Only a fresh install repairs a folder that lacks one of its program files or holds files of
    // two releases.
    for (const std::string &file : failure.notRestored) {
        const std::string name = file.substr(folder.size());
        const bool missing = GetFileAttributesW(widePath(file).c_str()) == INVALID_FILE_ATTRIBUTES;
        text += "\n\n" + name + (missing ? " is missing" : " is of the new version while other files are not") +
                ": its previous copy could not be put back and lies in " + folder + "~" + name + ".tmp.";
    }
    showUpdateError(text + "\n\nWordlark may not start. Run the Wordlark installer again to repair it.");
    return false;
}

} // namespace

bool checkForUpdates() {
    const std::string folder = runningProgramFolder();
    if (folder.empty()) {
        showUpdateError("The update could not be installed: the program's folder is not known.");
        return false;
    }
    // Left by an earlier run that stopped before installing them.
    deletePackagedFiles(folder);
    std::string cabinet;
    if (!fetchSignedCabinet(cabinet))
        return false;
    bool updated = extractPackagedFiles(cabinet, folder) && packagedFilesAreSound(folder) &&
                   packagedFilesAreNewer(folder);
    if (updated) {
        // The program may be ending: the files are replaced whole before it does, or not at all.
        WaitForSingleObject(installLock, INFINITE);
        updated = !endingProgram && installPackagedFiles(folder);
        ReleaseMutex(installLock);
    }
    // A failed run leaves no half-extracted or refused program file behind.
    if (!updated) {
        deletePackagedFiles(folder);
        return false;
    }
    showUpdateOutcome(true);
    return true;
}

namespace {

DWORD WINAPI runUpdateCheck(LPVOID) {
    checkForUpdates();
    InterlockedExchange(&checkRunning, 0);
    return 0;
}

} // namespace

void startUpdateCheck() {
    if (!installLock)
        installLock = CreateMutexA(nullptr, FALSE, nullptr);
    if (!installLock || InterlockedCompareExchange(&checkRunning, 1, 0) != 0)
        return; // one check at a time: a second menu click while one runs changes nothing
    HANDLE thread = CreateThread(nullptr, 0, runUpdateCheck, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        InterlockedExchange(&checkRunning, 0);
}

void endUpdateChecks() {
    if (!installLock)
        return;
    WaitForSingleObject(installLock, kInstallWaitMs);
    endingProgram = true;
    ReleaseMutex(installLock);
}

#include "updater/updater_win.h"

#include "updater/cabinet_extraction_win.h"
#include "updater/packaged_files.h"
#include "updater/pe_image.h"
#include "updater/program_file_replacement_win.h"
#include "updater/update_download_win.h"
#include "updater/update_messages_win.h"
#include "updater/update_signature_win.h"

#include <windows.h>

#include <fstream>
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


// Every file of the update is named with the program folder: the current directory moves (a file
// dialog changes it).
void deletePackagedFiles(const std::string &folder) {
    for (const PackagedFile &file : packagedFiles(kThisBuildsPackage))
        DeleteFileA((folder + file.packaged).c_str());
}

// The downloaded cabinet on disk, where the cabinet reader wants it; deleted when it goes.
class TemporaryCabinet {
public:
    TemporaryCabinet() = default;
    ~TemporaryCabinet() {
        if (!path_.empty())
            DeleteFileA(path_.c_str());
    }
    TemporaryCabinet(const TemporaryCabinet &) = delete;
    TemporaryCabinet &operator=(const TemporaryCabinet &) = delete;

    // False (with the system's error) when no temporary file can be made or written.
    bool write(const std::string &bytes, DWORD &error) {
        char folder[MAX_PATH] = "";
        char path[MAX_PATH] = "";
        DWORD length = GetTempPathA(MAX_PATH, folder);
        if (length == 0 || length >= MAX_PATH || !GetTempFileNameA(folder, "wlu", 0, path)) {
            error = GetLastError();
            return false;
        }
        path_ = path;
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        return true;
    }
    const char *path() const { return path_.c_str(); }

private:
    std::string path_;
};

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

bool extractPackagedFiles(const std::string &cabinet, const std::string &folder) {
    TemporaryCabinet file;
    DWORD error = ERROR_SUCCESS;
    if (!file.write(cabinet, error)) {
        showUpdateError("The update could not be saved for unpacking: " + systemErrorText(error));
        return false;
    }
    if (!extractCabinetMembers(file.path(), folder.c_str(), error)) {
        showUpdateError("The update could not be unpacked: " + systemErrorText(error) + "\n\nNothing was changed.");
        return false;
    }
    return true;
}

// Every packaged file must be a complete image of its kind before any is installed, so a signed but
// broken cabinet, or one of the other build, never replaces a working file.
bool packagedFilesAreSound(const std::string &folder) {
    for (const PackagedFile &file : packagedFiles(kThisBuildsPackage)) {
        const std::string path = folder + file.packaged;
        if (fileIsCompletePeImage(path, file.kind, file.machine))
            continue;
        DWORD error =
            GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? ERROR_FILE_NOT_FOUND : ERROR_BAD_FORMAT;
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
    showUpdateError("The update could not be installed: " + failure.file.substr(folder.size()) +
                    " could not be replaced: " + systemErrorText(failure.error) +
                    "\n\nThe installed version was kept.");
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
    const bool updated =
        extractPackagedFiles(cabinet, folder) && packagedFilesAreSound(folder) && installPackagedFiles(folder);
    // A failed run leaves no half-extracted or refused program file behind.
    if (!updated) {
        deletePackagedFiles(folder);
        return false;
    }
    showUpdateOutcome(true);
    return true;
}

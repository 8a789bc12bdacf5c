#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One file to replace: the packaged file (e.g. "C:\\Wordlark\\wordlark.ex_") goes in the place of
// the installed one ("C:\\Wordlark\\wordlark.exe"), both in the same folder.
struct FileReplacement {
    std::string installed;
    std::string packaged;
};

// Why a replacement did not happen: the installed file that could not be replaced and the system's
// error; and the installed files whose old copy could not be put back afterwards (each is missing
// from its place and lies under its set-aside name), which only a fresh install repairs.
struct ReplacementFailure {
    std::string file;
    DWORD error = ERROR_SUCCESS;
    std::vector<std::string> notRestored;
};

// Puts every packaged file in place of its installed file, in order. Each installed file is first
// renamed to "~<name>.tmp" in its folder, which works even while it runs or is loaded. When one of them cannot be
// set aside or replaced, every file already replaced gets its old file back, so the folder holds
// the old files or the new ones, never a mix of both, unless putting an old file back fails too,
// which `failure.notRestored` reports. The set-aside files are deleted once all
// files are in place; those still in use stay until a later run deletes them. True when every
// packaged file is in place; otherwise `failure` says which file failed and why.
bool replaceProgramFiles(const std::vector<FileReplacement> &files, ReplacementFailure &failure);

#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Which registry value names the harvest catalogues, and with what weight. Only names are looked
// at, never value data.

// 1 for a name beginning with "http://" or "https://" in any case; for a name holding a backslash
// the weight of its extension (typeWeight); 0 (not catalogued) for anything else.
int32_t registryNameWeight(const std::string &name, const std::function<int32_t(const std::string &)> &typeWeight);

// Subkeys named "classes" in any mix of capitals hold the file associations and COM classes: far
// too many names and none worth launching, so the walk passes over them with their subtrees.
bool isClassesKeyName(const std::string &name);

// True when text begins with prefix, ASCII letters compared without regard to case.
bool startsWithNoCase(const std::string &text, const char *prefix);

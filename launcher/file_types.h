#pragma once

#include <cstdint>
#include <map>
#include <string>

// The 80 file types that are catalogued: extension (lower case, no dot) to the weight each token of
// such a file gains in the index. Weight 3 for programs, shortcuts and office documents, 2 for media
// and archives, 1 for everything else worth launching.
std::map<std::string, int32_t> builtInFileTypes();

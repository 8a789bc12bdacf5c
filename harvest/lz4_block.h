#pragma once

#include <cstddef>
#include <string>

// Decoder of one LZ4 block in its raw form (no frame, no checksum), as Firefox's bookmark backups
// hold it. Every length and distance is checked against the input, the output so far and `limit`,
// so a damaged or hostile block can neither read nor write out of bounds nor grow without end.
//
// out receives the decoded bytes, at most `limit` of them. True when the whole block decoded
// soundly; false at the first fault (a sequence cut short by the end of the input, a match
// distance of 0 or reaching before the start, more output than `limit`), with out holding what
// was decoded before the fault, so a cut file is still read as far as it goes.
bool decodeLz4Block(const unsigned char *in, size_t size, size_t limit, std::string &out);

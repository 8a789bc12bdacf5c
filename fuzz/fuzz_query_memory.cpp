// Any bytes as the launcher's query memory file (a file any program of the user can change):
// reading must neither crash nor overrun; what it accepts writes bytes that read back and write
// the same again; a refused file leaves the memory as it was. The lookups take whatever query the command window passes.
#include "launcher/query_memory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    QueryMemory memory;
    memory.remember("before", "0123456789abcdef0123456789abcdef", 1);
    const std::string before = memory.format();
    if (!memory.parse(bytes)) {
        if (memory.format() != before)
            abort();
        return 0;
    }
    if (memory.entries().size() > QueryMemory::kMaxQueries)
        abort();
    const std::string written = memory.format();
    QueryMemory again;
    if (!again.parse(written) || again.format() != written)
        abort();

    const std::string query = QueryMemory::normalQuery(bytes.substr(0, 259));
    for (const std::string &key : memory.launchesFor(query))
        if (key.size() != 32)
            abort();
    memory.remember(query, "fedcba9876543210fedcba9876543210", 2000000000);
    QueryMemory last;
    if (!last.parse(memory.format()))
        abort();
    return 0;
}

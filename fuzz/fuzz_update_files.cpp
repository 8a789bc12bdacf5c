// Feeds arbitrary bytes, as a downloaded program file and as a cabinet member name, to the two
// checks that stand between the update server and the program folder.
#include "updater/cabinet_member_name.h"
#include "updater/pe_image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    // An image can never be both kinds, and nothing shorter than its headers (PE signature, file
    // header, the smallest optional header and one section header) passes.
    bool program = isCompletePeImage(bytes, PeImageKind::Program);
    bool library = isCompletePeImage(bytes, PeImageKind::Library);
    if ((program && library) || ((program || library) && size < 24 + 96 + 40))
        abort();

    // A safe name is a plain name: no folder, drive or parent part, and never "." or "..".
    std::string name = safeMemberName(bytes);
    if (!name.empty() && (name.find_first_of("\\/:") != std::string::npos || name == "." || name == ".." ||
                          name.back() == '.' || name.back() == ' ' || name.size() > 255))
        abort();
    return 0;
}

// Feeds arbitrary bytes, as a downloaded program file and as a cabinet member name, to the
// checks that stand between the update cabinet and the program folder, and to the reader of the
// version that decides whether an update is later than the running program.
#include "updater/packaged_files.h"
#include "updater/pe_image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    // An image can never be both kinds nor both machines, and nothing shorter than its headers
    // (PE signature, file header, the smallest optional header and one section header) passes.
    bool accepted[2][2];
    int count = 0;
    for (int kind = 0; kind < 2; ++kind) {
        for (int machine = 0; machine < 2; ++machine) {
            accepted[kind][machine] = isCompletePeImage(bytes, kind ? PeImageKind::Library : PeImageKind::Program,
                                                        machine ? PeMachine::X64 : PeMachine::X86);
            count += accepted[kind][machine];
        }
    }
    if (count > 1 || (count == 1 && size < 24 + 96 + 40) || ((accepted[0][1] || accepted[1][1]) && size < 24 + 112 + 40))
        abort();

    // The version reader stays inside the bytes (the sanitizers see any read past them), and a
    // version is only ever read from a file with a section table and a resource directory:
    // "MZ", the PE header at offset 2 at the earliest, the file header, an optional header up to
    // the resource directory (120 bytes) and one section header.
    uint64_t version = 0;
    if (peFileVersion(bytes, version) && size < 2 + 24 + 120 + 40)
        abort();

    // Nothing but a package's own packaged files ever leaves a cabinet.
    for (UpdatePackage package : {UpdatePackage::ThirtyTwoBit, UpdatePackage::SixtyFourBit}) {
        std::string name = packagedMemberName(bytes, package);
        bool own = name.empty();
        for (const PackagedFile &file : packagedFiles(package))
            own = own || name == file.packaged;
        if (!own)
            abort();
    }
    return 0;
}

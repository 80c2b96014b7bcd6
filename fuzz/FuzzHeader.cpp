// Fuzzes the header reader with its world and statistics files: the input is
// "header\n===\nworld\n===\nstatistics" (missing parts mean missing files).
#include <cstdlib>

#include "FuzzFiles.h"
#include "hostside/IoError.h"
#include "import/BndImportFilter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace fennick;
    const auto parts = fuzz::SplitParts(data, size);
    fuzz::Place("scene.hdr", parts[0]);
    fuzz::Place("scene.blw", parts.size() > 1 ? parts[1] : "", parts.size() > 1);
    fuzz::Place("scene.stx", parts.size() > 2 ? parts[2] : "", parts.size() > 2);
    const std::string dataPath = fuzz::Folder() + "/scene.bil";

    orvo::IoManager host;
    BndImportFilter filter(host);
    const int quiet = filter.ReadHeader(dataPath.c_str(), true);
    int loud = 1;
    try {
        loud = filter.ReadHeader(dataPath.c_str(), false);
    } catch (const orvo::IoError&) {
        loud = -1;
    }
    // Quiet and loud reads agree on success, and a header that reads is one the import can use.
    if ((quiet == 0) != (loud == 0)) {
        std::abort();
    }
    if (loud == 0) {
        const BndHeader& h = filter.description.header;
        if (h.nrows < 2 || h.ncols < 2 || h.nbands < 1 || h.skipbytes < 0 || h.bandgapbytes < 0 || h.bandrowbytes < 0 ||
            (h.nbits != 1 && h.nbits != 4 && h.nbits != 8 && h.nbits != 16 && h.nbits != 32)) {
            std::abort();
        }
        (void)DataPlan::Of(h, filter.description.layoutCode);
    }
    return 0;
}

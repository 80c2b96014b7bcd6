// Fuzzes the whole import: the input is "header\n===\ndata\n===\nworld\n===\n
// statistics" (a missing world or statistics part means no such file). The
// header, of either dialect, is first read quietly and loudly: both must
// agree, and a header that reads must describe a raster the import can plan.
// The host then accepts every row and answers yes, so every accepted file is
// read to its end.
#include <cstdlib>
#include <vector>

#include "FuzzFiles.h"
#include "hostside/FileError.h"
#include "hostside/IoError.h"
#include "import/BndImportFilter.h"

namespace {

class YesHost final : public orvo::IoManager {
public:
    int Warning(tamsel::IError::WarnStyle /*style*/, const std::string& /*text*/) override { return 1; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace fennick;
    std::vector<std::string_view> parts;
    for (std::string_view rest(reinterpret_cast<const char*>(data), size);;
         rest.remove_prefix(parts.back().size() + 5)) {
        parts.push_back(rest.substr(0, rest.find("\n===\n")));
        if (parts.back().size() == rest.size()) {
            break;
        }
    }
    const char* const names[] = {"scene.hdr", "scene.bil", "scene.blw", "scene.stx"};
    for (std::size_t i = 0; i < 4; ++i) {
        fuzz::Place(names[i], i < parts.size() ? parts[i] : "", i < 2 || i < parts.size());
    }
    const std::string dataPath = fuzz::Folder() + "/scene.bil";

    YesHost host;
    BndImportFilter filter(host);
    const int quiet = filter.ReadHeader(dataPath.c_str(), true);
    try {
        if ((filter.ReadHeader(dataPath.c_str(), false) == 0) != (quiet == 0)) {
            std::abort();
        }
    } catch (const orvo::IoError&) {
        if (quiet == 0) {
            std::abort();
        }
    }
    if (quiet == 0) {
        // Either dialect: usable counts and a width the decoder takes; the
        // key = value one's samples exactly as wide as their lattice cells.
        const BndDescription& d = filter.description;
        const BndHeader& h = d.header;
        const bool keyValue = d.dialect == HeaderDialect::KeyValue;
        const bool width = h.nbits == 1 || h.nbits == 4 || h.nbits == 8 || h.nbits == 16 || h.nbits == 32 ||
                           (keyValue && h.nbits == 64);
        if (h.nrows < 2 || h.ncols < 2 || h.nbands < 1 || h.skipbytes < 0 || h.bandgapbytes < 0 || h.bandrowbytes < 0 ||
            !width || (keyValue && tamsel::CPrimType::TypeSize[d.sampleType] * 8 != h.nbits)) {
            std::abort();
        }
        (void)DataPlan::Of(h, d.layoutCode);
    }
    filter.ProbeFile(dataPath.c_str());
    try {
        filter.ImportFromFile(dataPath.c_str(), false);
    } catch (const orvo::IoError&) {
    } catch (const tamsel::CFileError&) {
    }
    return 0;
}

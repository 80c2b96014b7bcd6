// Fuzzes the whole import: the input is "header\n===\ndata bytes". The host
// accepts every row and answers yes, so every accepted file is read to its end.
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
    const auto parts = fuzz::SplitParts(data, size);
    fuzz::Place("scene.hdr", parts[0]);
    fuzz::Place("scene.bil", parts.size() > 1 ? parts[1] : "");
    const std::string dataPath = fuzz::Folder() + "/scene.bil";

    YesHost host;
    BndImportFilter filter(host);
    filter.ProbeFile(dataPath.c_str());
    try {
        filter.ImportFromFile(dataPath.c_str(), false);
    } catch (const orvo::IoError&) {
    } catch (const tamsel::CFileError&) {
    }
    return 0;
}

#include "ModuleLoader.h"

#include <stdexcept>

#include "System.h"

namespace bndhost {

ModuleLoader::ModuleLoader(const std::string& path) : path_(path)
{
    std::string reason;
    handle_ = sys::OpenModule(path, reason);
    if (handle_ == nullptr) {
        throw std::runtime_error("cannot load the filter module " + path + ": " + reason);
    }
    exporter_ = reinterpret_cast<ExportFactory>(sys::FindSymbol(handle_, "ExportBND"));
    importer_ = reinterpret_cast<ImportFactory>(sys::FindSymbol(handle_, "ImportBND"));
    if (exporter_ == nullptr || importer_ == nullptr) {
        sys::CloseModule(handle_);
        throw std::runtime_error("the filter module " + path + " has no " +
                                 (exporter_ == nullptr ? "ExportBND" : "ImportBND"));
    }
}

ModuleLoader::~ModuleLoader()
{
    sys::CloseModule(handle_);
}

} // namespace bndhost

#include "ModuleLoader.h"

#include "System.h"

namespace bndhost {

ModuleLoader::ModuleLoader(const std::string& path) : path_(path)
{
    std::string reason;
    handle_ = sys::OpenModule(path, reason);
    if (handle_ == nullptr) {
        throw ModuleError("cannot load the filter module " + path + ": " + reason);
    }
    try {
        exporter_ = reinterpret_cast<ExportFactory>(Find("ExportBND"));
        importer_ = reinterpret_cast<ImportFactory>(Find("ImportBND"));
    } catch (...) {
        sys::CloseModule(handle_);
        throw;
    }
}

ModuleLoader::~ModuleLoader()
{
    sys::CloseModule(handle_);
}

void* ModuleLoader::Find(const char* name) const
{
    std::string reason;
    void* symbol = sys::FindSymbol(handle_, name, reason);
    if (symbol == nullptr) {
        throw ModuleError("the filter module " + path_ + " has no " + name + ": " + reason);
    }
    return symbol;
}

} // namespace bndhost

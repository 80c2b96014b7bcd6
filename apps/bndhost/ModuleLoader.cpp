#include "ModuleLoader.h"

#include <dlfcn.h>

namespace bndhost {

ModuleLoader::ModuleLoader(const std::string& path) : path_(path)
{
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        throw ModuleError("cannot load the filter module " + path + ": " + ::dlerror());
    }
    try {
        exporter_ = reinterpret_cast<ExportFactory>(Find("ExportBND"));
        importer_ = reinterpret_cast<ImportFactory>(Find("ImportBND"));
    } catch (...) {
        ::dlclose(handle_);
        throw;
    }
}

ModuleLoader::~ModuleLoader()
{
    ::dlclose(handle_);
}

void* ModuleLoader::Find(const char* name) const
{
    ::dlerror();
    void* symbol = ::dlsym(handle_, name);
    if (symbol == nullptr) {
        const char* reason = ::dlerror();
        throw ModuleError("the filter module " + path_ + " has no " + name + ": " +
                          (reason != nullptr ? reason : "symbol is null"));
    }
    return symbol;
}

} // namespace bndhost

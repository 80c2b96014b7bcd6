// Loads the filter module by path and finds its two factories by name.
#pragma once

#include <stdexcept>
#include <string>

#include "orvo/IoFilter.h"

namespace bndhost {

class ModuleLoader {
public:
    using ExportFactory = orvo::IoExportFilter* (*)(orvo::IoManager&);
    using ImportFactory = orvo::IoImportFilter* (*)(orvo::IoManager&);

    // Opens the module with every symbol bound at once; throws std::runtime_error with
    // the path and the loader's reason when it cannot be opened or lacks a factory.
    explicit ModuleLoader(const std::string& path);
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] ExportFactory Exporter() const { return exporter_; }
    [[nodiscard]] ImportFactory Importer() const { return importer_; }

private:
    std::string path_;
    void* handle_ = nullptr;
    ExportFactory exporter_ = nullptr;
    ImportFactory importer_ = nullptr;
};

} // namespace bndhost

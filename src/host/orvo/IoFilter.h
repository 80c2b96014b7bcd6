// Filter base classes: what every import and export filter offers the host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HostApi.h"
#include "orvo/ErrCode.h"
#include "orvo/IoManager.h"
#include "tamsel/TypeInfo.h"

namespace orvo {

class TrBase;
class IoPropertyPage;

enum class ImportStatus : int {
    Done = 0,
    Stopped = 1,     // cancelled, refused by the host, or nothing to import
    Declined = 2,    // the user declined to go on
    Unsupported = 3, // the filter does not offer this operation
};

enum class ExportStatus : int {
    Done = 0,
    NothingExported = 1,
    Stopped = 2,    // refused or stopped by the user
    NotHandled = 3, // object or operation not handled
};

// Virtual operations in slot order: destructor, GetPropertyPages, SetOptions,
// GetOptions, IsTypeSupported, GetStringOption.
class ORVO_API IoFilter {
public:
    virtual ~IoFilter();
    IoFilter(const IoFilter&) = delete;
    IoFilter& operator=(const IoFilter&) = delete;

    // Adds the filter's option pages; the base adds none.
    virtual void GetPropertyPages(std::vector<IoPropertyPage*>& pages, const char* text);
    virtual void SetOptions(std::uint32_t value) = 0;
    virtual std::string GetOptions() = 0;
    virtual bool IsTypeSupported(const tamsel::CTypeInfo* type) = 0;
    virtual bool GetStringOption(const char* options, const char* key, std::string& value) = 0;

    [[nodiscard]] IoManager& GetIoManager() const { return manager_; }

    // Raise an error (hostside/IoError.h) and never return. `file` and `line` name the raising source.
    // Code form: the code's arguments follow (see ErrCode). Message form: printf-style.
    [[noreturn]] static void ThrowError(const char* file, int line, ErrCode code, ...);
    [[noreturn]] static void ThrowError(const char* file, int line, const char* format, ...) HOST_PRINTF(3, 4);

    // Formats the text and asks IoManager::Warning; for IError::YesNo, 1 means yes.
    int Warning(tamsel::IError::WarnStyle style, const char* format, ...) const HOST_PRINTF(3, 4);

protected:
    explicit IoFilter(IoManager& manager) : manager_(manager) {}

private:
    IoManager& manager_;
};

// Slots 6 to 9: ProbeFile, GetSummary, ImportFromFile, ImportFromMemory.
class ORVO_API IoImportFilter : public IoFilter {
public:
    ~IoImportFilter() override;
    // 0 not importable, 1 importable, 2 importable with doubts (filter-specific).
    virtual int ProbeFile(const char* path) = 0;
    // The base offers no summary and returns false.
    virtual bool GetSummary(const char* path, std::string& text);
    virtual ImportStatus ImportFromFile(const char* path, bool flag) = 0;
    // The base reads nothing from memory and returns Unsupported.
    virtual ImportStatus ImportFromMemory(const unsigned char* data, unsigned int size, bool flag);

protected:
    using IoFilter::IoFilter;
    // Hands `object` to the host (IoManager::ReceiveObject); false ends the import.
    bool ImportObject(TrBase& object) const;
};

// Slots 6 to 10: BeginExport, BeginExportToMemory, ExportObject, EndExport, EndExportToMemory.
class ORVO_API IoExportFilter : public IoFilter {
public:
    ~IoExportFilter() override;
    virtual ExportStatus BeginExport(const char* path, bool flag) = 0;
    // The base writes nothing to memory and returns NotHandled.
    virtual ExportStatus BeginExportToMemory(std::vector<unsigned char>& buffer, bool flag);
    virtual ExportStatus ExportObject(TrBase& object) = 0;
    virtual ExportStatus EndExport() = 0;
    virtual ExportStatus EndExportToMemory();

protected:
    using IoFilter::IoFilter;
};

} // namespace orvo

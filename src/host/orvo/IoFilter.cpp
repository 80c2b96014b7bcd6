#include "orvo/IoFilter.h"
#include "hostside/IoError.h"

#include <cstdarg>

#include "hostside/FormatV.h"
#include "orvo/Transferable.h"
#include "tamsel/Format.h"

namespace orvo {

namespace {

// The host's texts for the error codes that filters raise.
std::string CodeMessage(ErrCode code, va_list args)
{
    std::string text;
    switch (code.value) {
    case ErrReadFailed.value: {
        const char* path = va_arg(args, const char*);
        const char* reason = va_arg(args, const char*);
        tamsel::FormatString(text, "Error reading %s: %s", path, reason);
        break;
    }
    case ErrNoExportOpen.value: text = "No export is open: the export was not begun or has already ended."; break;
    case ErrBadRecord.value: {
        const char* record = va_arg(args, const char*);
        const int line = va_arg(args, int);
        const char* path = va_arg(args, const char*);
        tamsel::FormatString(text, "%s at line %d of %s.", record, line, path);
        break;
    }
    default: tamsel::FormatString(text, "Error %d.", code.value); break;
    }
    return text;
}

} // namespace

IoFilter::~IoFilter() = default;

void IoFilter::GetPropertyPages(std::vector<IoPropertyPage*>& /*pages*/, const char* /*text*/) {}

void IoFilter::ThrowError(const char* file, int /*line*/, ErrCode code, ...)
{
    va_list args;
    va_start(args, code);
    std::string text = CodeMessage(code, args);
    va_end(args);
    throw IoError(text, code.value, file);
}

void IoFilter::ThrowError(const char* file, int /*line*/, const char* format, ...)
{
    std::string text;
    va_list args;
    va_start(args, format);
    tamsel::FormatStringV(text, format, args);
    va_end(args);
    throw IoError(text, std::nullopt, file);
}

int IoFilter::Warning(tamsel::IError::WarnStyle style, const char* format, ...) const
{
    std::string text;
    va_list args;
    va_start(args, format);
    tamsel::FormatStringV(text, format, args);
    va_end(args);
    return manager_.Warning(style, text);
}

IoImportFilter::~IoImportFilter() = default;

bool IoImportFilter::GetSummary(const char* /*path*/, std::string& /*text*/)
{
    return false;
}

ImportStatus IoImportFilter::ImportFromMemory(const unsigned char* /*data*/, unsigned int /*size*/, bool /*flag*/)
{
    return ImportStatus::Unsupported;
}

bool IoImportFilter::ImportObject(TrBase& object) const
{
    return GetIoManager().ReceiveObject(object);
}

IoExportFilter::~IoExportFilter() = default;

ExportStatus IoExportFilter::BeginExportToMemory(std::vector<unsigned char>& /*buffer*/, bool /*flag*/)
{
    return ExportStatus::NotHandled;
}

ExportStatus IoExportFilter::EndExportToMemory()
{
    return ExportStatus::NotHandled;
}

} // namespace orvo

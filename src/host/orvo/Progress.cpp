#include "orvo/Progress.h"

#include <cstdarg>
#include <string>

#include "hostside/FormatV.h"
#include "orvo/IoManager.h"
#include "tamsel/Format.h"

namespace orvo {

CProgress::CProgress(IoManager& manager, const char* text, bool /*cancellable*/, bool /*showBar*/) : manager_(manager)
{
    manager_.ProgressStart();
    if (text != nullptr) {
        manager_.ProgressMessage(text);
    }
}

CProgress::~CProgress()
{
    manager_.ProgressStop();
}

bool CProgress::MessageVA(const char* format, ...)
{
    std::string text;
    va_list args;
    va_start(args, format);
    const bool ok = tamsel::FormatStringV(text, format, args);
    va_end(args);
    if (ok) {
        manager_.ProgressMessage(text);
    }
    return ok;
}

bool CProgress::Proportion(double fraction)
{
    return manager_.ProgressProportion(fraction);
}

} // namespace orvo

// The host application's seam: what a filter asks of the application.
#pragma once

#include <string>

#include "HostApi.h"
#include "tamsel/TypeInfo.h"

namespace orvo {

class TrBase;

// A host derives from IoManager to show progress, answer questions and receive
// imported objects. The defaults suit a silent host that accepts everything
// and answers every question with no.
class ORVO_API IoManager {
public:
    IoManager() = default;
    virtual ~IoManager();
    IoManager(const IoManager&) = delete;
    IoManager& operator=(const IoManager&) = delete;

    // Name of the file format being handled, shown in import summaries.
    [[nodiscard]] virtual std::string GetFormatName() const;

    // A progress display opens (CProgress constructed).
    virtual void ProgressStart();
    // The display's one-line text.
    virtual void ProgressMessage(const std::string& text);
    // Work done so far, 0 to 1; returning false asks the filter to stop.
    virtual bool ProgressProportion(double fraction);
    // The display closes (CProgress destroyed).
    virtual void ProgressStop();

    // A message or question for the user; for IError::YesNo, 1 means yes.
    virtual int Warning(tamsel::IError::WarnStyle style, const std::string& text);

    // An object handed over by an import filter; false refuses it and ends the import.
    virtual bool ReceiveObject(TrBase& object);
};

} // namespace orvo

// A progress display that lasts as long as the object.
#pragma once

#include "HostApi.h"

namespace orvo {

class IoManager;

class ORVO_API CProgress {
public:
    // Opens the display (IoManager::ProgressStart); a non-null `text` is shown at once.
    // The two flags have no meaning in this host.
    CProgress(IoManager& manager, const char* text, bool cancellable, bool showBar);
    // Closes the display (IoManager::ProgressStop).
    ~CProgress();
    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    // Sets the display's text, printf-style; false when the format fails.
    bool MessageVA(const char* format, ...) HOST_PRINTF(2, 3);
    // Forwards to IoManager::ProgressProportion; false means the user cancelled.
    bool Proportion(double fraction);

private:
    IoManager& manager_;
};

} // namespace orvo

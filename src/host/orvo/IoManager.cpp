#include "orvo/IoManager.h"

namespace orvo {

IoManager::~IoManager() = default;

std::string IoManager::GetFormatName() const
{
    return "Banded raster";
}

void IoManager::ProgressStart() {}

void IoManager::ProgressMessage(const std::string& /*text*/) {}

bool IoManager::ProgressProportion(double /*fraction*/)
{
    return true;
}

void IoManager::ProgressStop() {}

int IoManager::Warning(tamsel::IError::WarnStyle /*style*/, const std::string& /*text*/)
{
    return 0;
}

bool IoManager::ReceiveObject(TrBase& /*object*/)
{
    return true;
}

} // namespace orvo

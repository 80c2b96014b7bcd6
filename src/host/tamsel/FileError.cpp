#include "hostside/FileError.h"

#include "hostside/FormatV.h"
#include "tamsel/Format.h"

namespace tamsel {

CFileError::CFileError(const std::string& path, int errorCode)
    : std::runtime_error(path + ": " + FormatSystemErrorMsg(errorCode)), errorCode_(errorCode)
{
}

CFileError::CFileError(const std::string& path, int errorCode, const std::string& reason)
    : std::runtime_error(path + ": " + reason), errorCode_(errorCode)
{
}

CFileError::~CFileError() = default;

} // namespace tamsel

// The error that tamsel's throwing file operations raise.
#pragma once

#include <stdexcept>
#include <string>

#include "HostApi.h"

namespace tamsel {

// what() is "<path>: <reason>", the reason being the system error text unless
// one is given; the code is the system's error number.
class TAMSEL_API CFileError : public std::runtime_error {
public:
    CFileError(const std::string& path, int errorCode);
    CFileError(const std::string& path, int errorCode, const std::string& reason);
    ~CFileError() override;

    [[nodiscard]] int GetErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

} // namespace tamsel

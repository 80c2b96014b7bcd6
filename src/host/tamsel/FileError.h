// The error that tamsel's throwing file operations raise.
#pragma once

#include <stdexcept>
#include <string>

#include "HostApi.h"

namespace tamsel {

// what() is "<path>: <system error text>"; the code is the errno value.
class HOST_API CFileError : public std::runtime_error {
public:
    CFileError(const std::string& path, int errorCode);
    ~CFileError() override;

    [[nodiscard]] const std::string& GetPath() const { return path_; }
    [[nodiscard]] int GetErrorCode() const { return errorCode_; }

private:
    std::string path_;
    int errorCode_;
};

} // namespace tamsel

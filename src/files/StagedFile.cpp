#include "files/StagedFile.h"

#include "files/Platform.h"
#include "tamsel/BufferedFile.h"

namespace fennick {

StagedFile::~StagedFile()
{
    if (!placed_ && !temporary_.empty()) {
        platform::RemoveFile(temporary_.c_str());
    }
}

bool StagedFile::Create()
{
    temporary_ = platform::CreateHiddenFileBeside(destination_);
    return !temporary_.empty();
}

bool StagedFile::Place()
{
    platform::CopyPermissions(destination_, temporary_);
    placed_ = platform::MoveReplacing(temporary_.c_str(), destination_.c_str());
    return placed_;
}

void StagedFile::Retarget(const std::string& path)
{
    path_ = path;
    destination_ = platform::LinkTarget(path);
}

bool ReplaceWhole(const std::string& path, const std::string& bytes)
{
    StagedFile staged(path);
    if (!staged.Create()) {
        return false;
    }
    tamsel::CBufferedFile file;
    try {
        file.Open(staged.Temporary().c_str(), "wb", tamsel::CBufferedFile::ShareReadWrite, false);
        file.Write(bytes.data(), static_cast<unsigned int>(bytes.size()));
        file.Close();
    } catch (...) {
        file.Abort(false);
        return false;
    }
    return staged.Place();
}

} // namespace fennick

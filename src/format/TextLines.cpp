#include "format/TextLines.h"

#include "files/Platform.h"
#include "support/Reporting.h"

#include <cstring>

namespace fennick {

int RefuseLargeTextFile(tamsel::CBufferedFile& file, const std::string& path, const Reporter& report)
{
    const std::int64_t length = file.GetLength();
    if (length <= kLargestTextFile) {
        return 0;
    }
    return report.Fail(__LINE__,
                       "%s is %lld bytes, more than the %lld that a header, world or statistics file may "
                       "hold; it is not read.",
                       path.c_str(), static_cast<long long>(length), static_cast<long long>(kLargestTextFile));
}

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kMarkSize = 3;

} // namespace

bool TextLines::Fill()
{
    if (ended_) {
        return false;
    }
    const unsigned int got = file_.Read(chunk_.data(), static_cast<unsigned int>(chunk_.size()));
    if (got < chunk_.size()) {
        ended_ = true;
        error_ = platform::LastSystemError();
    }
    position_ = 0;
    end_ = got;
    if (atStart_) {
        atStart_ = false;
        if (end_ >= kMarkSize && std::memcmp(chunk_.data(), kByteOrderMark, kMarkSize) == 0) {
            position_ = kMarkSize;
        }
    }
    return position_ < end_;
}

bool TextLines::Next(std::string& line)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (position_ == end_ && !Fill()) {
            if (error_ != 0) {
                line.clear();
            }
            return any && error_ == 0;
        }
        if (afterCR_) {
            afterCR_ = false;
            if (chunk_[position_] == '\n') {
                ++position_;
                continue;
            }
        }
        const char* start = chunk_.data() + position_;
        const std::size_t available = end_ - position_;
        std::size_t length = 0;
        while (length < available && start[length] != '\n' && start[length] != '\r') {
            ++length;
        }
        line.append(start, length);
        any = true;
        position_ += length;
        if (length < available) {
            afterCR_ = start[length] == '\r';
            ++position_;
            return true;
        }
    }
}

} // namespace fennick

#include "pelmo/Pelmo.h"

#include <algorithm>
#include <strings.h>
#include <vector>

namespace pelmo {

void ByteSwap(void* element, int width)
{
    auto* bytes = static_cast<unsigned char*>(element);
    std::reverse(bytes, bytes + std::max(width, 0));
}

bool IsBinary(tamsel::CBufferedFile& file, unsigned int count)
{
    file.Seek(0, tamsel::CBufferedFile::Begin);
    std::vector<unsigned char> head(count);
    const unsigned int got = file.Read(head.data(), count);
    file.Seek(0, tamsel::CBufferedFile::Begin);

    unsigned int controls = 0;
    for (unsigned int i = 0; i < got; ++i) {
        const unsigned char c = head[i];
        if (c == 0) {
            return true;
        }
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7f) {
            ++controls;
        }
    }
    return controls * 10 > got;
}

namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

bool CommonGetStringOption(const char* options, const char* key, char separator, std::string& value)
{
    if (options == nullptr || key == nullptr) {
        return false;
    }
    const std::string_view wanted = Trim(key);
    if (wanted.empty()) {
        return false;
    }
    std::string_view rest(options);
    for (;;) {
        const auto end = rest.find(separator);
        const std::string_view entry = rest.substr(0, end);
        const auto equals = entry.find('=');
        const std::string_view name = Trim(entry.substr(0, equals));
        if (name.size() == wanted.size() && strncasecmp(name.data(), wanted.data(), name.size()) == 0) {
            value = equals == std::string_view::npos ? std::string() : std::string(Trim(entry.substr(equals + 1)));
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    return false;
}

} // namespace pelmo

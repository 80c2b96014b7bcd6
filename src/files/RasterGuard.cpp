#include "files/RasterGuard.h"

#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "files/Platform.h"
#include "files/RasterFiles.h"

namespace fennick {

namespace {

namespace fs = std::filesystem;

// A message: its pieces one after another.
std::string Said(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (const std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

// How a message names the raster `files` reads by its file of `role`.
std::string FileOf(RasterFiles::Role role, const RasterFiles& files)
{
    if (role == RasterFiles::Data) {
        return Said({"the data file of another raster (", files.header, ")"});
    }
    return Said({"the ", RoleName(role), " of ", files.data});
}

class Guard {
public:
    Guard(const PlannedWrite& write, const ReadsAsRaster& readsAsRaster) : write_(write), reads_(readsAsRaster)
    {
        for (const std::string* path : {&write.output, &write.header}) {
            if (!path->empty()) {
                written_.push_back({*path, platform::LinkTarget(*path)});
                if (!platform::Exists(*path)) {
                    created_.push_back(*path);
                }
            }
        }
    }

    std::string Refusal() const
    {
        std::vector<std::string> checked;
        for (const auto& [path, target] : written_) {
            for (const std::string* beside : {&path, &target}) {
                for (const std::string& data : DataFilesBeside(*beside)) {
                    if (Seen(checked, data)) {
                        continue;
                    }
                    checked.push_back(data);
                    if (std::string why = RefusalFor(data); !why.empty()) {
                        return why;
                    }
                }
            }
        }
        return write_.header.empty() ? std::string() : OwnSideFileRefusal();
    }

private:
    static bool Seen(const std::vector<std::string>& paths, const std::string& path)
    {
        for (const std::string& seen : paths) {
            if (seen == path) {
                return true;
            }
        }
        return false;
    }

    // The output's own raster, under its name or through the links of both
    // its files to one existing raster (a single output has no header, so
    // a raster it leads to is another).
    bool IsOutput(const std::string& data) const
    {
        if (SameEntry(data, write_.output)) {
            return true;
        }
        if (!platform::SameFile(data, write_.output)) {
            return false;
        }
        const std::string header = RasterFiles::Of(data).header;
        return !platform::Exists(header) || platform::SameFile(header, write_.header);
    }

    std::string RefusalFor(const std::string& data) const
    {
        if (IsOutput(data) || !reads_(data)) {
            return {};
        }
        const RasterFiles before = RasterFiles::Of(data);
        for (const RasterFiles::Role role : RasterFiles::kRoles) {
            const std::string& read = before.File(role);
            for (const auto& [path, target] : written_) {
                if (read.empty() || !platform::SameFile(target, read)) {
                    continue;
                }
                if (target != path) {
                    return Said({path, " leads to ", target, ", ", FileOf(role, before),
                                 "; it is not written through: give the output another name."});
                }
                return Said(
                    {path, " is ", FileOf(role, before), "; it is not replaced: give the output another name."});
            }
        }
        const RasterFiles after = RasterFiles::Of(data, NameView(created_));
        for (const RasterFiles::Role role : RasterFiles::kRoles) {
            const std::string& was = before.File(role);
            const std::string& will = after.File(role);
            if (was == will) {
                continue;
            }
            if (was.empty()) {
                return Said({"The new ", will, " would be read as the ", RoleName(role), " of ", data,
                             "; give the output another name."});
            }
            return Said({data, " reads ", was, " as its ", RoleName(role), ", which the new ", will,
                         " would hide; give the output another name."});
        }
        return {};
    }

    // A world or statistics file beside a raster output would override
    // the geometry or range of its new header.
    std::string OwnSideFileRefusal() const
    {
        const RasterFiles own = RasterFiles::Of(write_.output, NameView(created_));
        for (const std::string* side : {&own.world, &own.statistics}) {
            if (!side->empty()) {
                return Said({*side, " would be read with ", write_.output,
                             " and override its new header; remove or rename it, or give the output another name."});
            }
        }
        return {};
    }

    const PlannedWrite& write_;
    const ReadsAsRaster& reads_;
    // Each path written, and the file a rename replaces (the target of a link).
    std::vector<std::pair<std::string, std::string>> written_;
    std::vector<std::string> created_;
};

} // namespace

std::string RefusalOf(const PlannedWrite& write, const ReadsAsRaster& readsAsRaster)
{
    return Guard(write, readsAsRaster).Refusal();
}

std::string ReplaceRefusal(const std::string& path)
{
    if (!platform::Exists(path)) {
        return {};
    }
    std::error_code error;
    if (!fs::is_regular_file(fs::status(platform::PathOf(path), error))) {
        return Said({path, " exists and is not a regular file; it is not replaced."});
    }
    if (const std::string why = platform::WriteRefusal(path.c_str()); !why.empty()) {
        return Said({path, " may not be written (", why, "); it is not replaced."});
    }
    return {};
}

} // namespace fennick

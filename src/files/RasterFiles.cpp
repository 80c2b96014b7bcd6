#include "files/RasterFiles.h"

#include <algorithm>
#include <filesystem>

#include "files/Platform.h"
#include "tamsel/Path.h"

namespace fennick {

namespace {

namespace fs = std::filesystem;

// The folder part of `path` ("" for a bare name) and its name part.
std::string FolderOf(const std::string& path)
{
    return path.substr(0, static_cast<std::size_t>(tamsel::CPath::GetNamePtr(path.c_str()) - path.c_str()));
}

std::string NameOf(const std::string& path)
{
    return tamsel::CPath::GetNamePtr(path.c_str());
}

// The folder as one text however it was reached: absolute, its links resolved.
std::string FolderKey(const std::string& folder)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(platform::PathOf(folder.empty() ? "." : folder), error);
    return platform::TextOf(fs::weakly_canonical(absolute, error).lexically_normal());
}

// The names of the folder's entries.
std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(platform::PathOf(folder.empty() ? "." : folder), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(platform::TextOf(it->path().filename()));
    }
    return names;
}

// Whether `name` has the extension of a header, world or statistics file,
// which no raster's data file has.
bool IsSideFileName(const std::string& name)
{
    const char* extension = tamsel::CPath::GetExtensionPtr(name.c_str());
    return platform::EqualsIgnoreCase(extension, ".hdr") || platform::EqualsIgnoreCase(extension, ".blw") ||
           platform::EqualsIgnoreCase(extension, ".stx");
}

} // namespace

bool IsHeaderPath(std::string_view path)
{
    const std::string text(path);
    return platform::EqualsIgnoreCase(tamsel::CPath::GetExtensionPtr(text.c_str()), ".hdr");
}

bool IsDataPath(std::string_view path)
{
    const std::string text(path);
    return tamsel::CPath::HasExtension(text.c_str()) && !IsHeaderPath(text);
}

NameView::NameView(const std::vector<std::string>& created)
{
    for (const std::string& path : created) {
        created_.push_back({FolderKey(FolderOf(path)), NameOf(path)});
    }
}

std::vector<std::string> NameView::CreatedIn(const std::string& path) const
{
    std::vector<std::string> names;
    if (!created_.empty()) {
        const std::string folder = FolderKey(FolderOf(path));
        for (const Name& name : created_) {
            if (name.folder == folder) {
                names.push_back(name.name);
            }
        }
    }
    return names;
}

bool NameView::Exists(const std::string& path) const
{
    if (platform::Exists(path)) {
        return true;
    }
    const std::vector<std::string> created = CreatedIn(path);
    return std::find(created.begin(), created.end(), NameOf(path)) != created.end();
}

std::string NameView::Find(const std::string& path) const
{
    if (platform::Exists(path)) {
        return platform::NameAsHeld(path);
    }
    const std::string name = NameOf(path);
    std::vector<std::string> names = CreatedIn(path);
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        return path;
    }
    const std::string folder = FolderOf(path);
    const std::vector<std::string> held = NamesIn(folder);
    names.insert(names.end(), held.begin(), held.end());
    std::string found;
    for (const std::string& candidate : names) {
        if (platform::EqualsIgnoreCase(candidate, name) && (found.empty() || candidate < found)) {
            found = candidate;
        }
    }
    return found.empty() ? path : folder + found;
}

RasterFiles RasterFiles::Of(const std::string& data, const NameView& view)
{
    RasterFiles files;
    files.data = data;
    files.ownHeader = view.Find(tamsel::CPath::ChangeExtension(data.c_str(), ".hdr"));
    files.header = files.ownHeader;
    if (!view.Exists(files.ownHeader) && tamsel::CPath::HasExtension(data.c_str())) {
        if (std::string added = view.Find(data + ".hdr"); view.Exists(added)) {
            files.header = std::move(added);
        }
    }
    const auto found = [&](const char* extension) {
        std::string path = view.Find(tamsel::CPath::ChangeExtension(data.c_str(), extension));
        return view.Exists(path) ? path : std::string();
    };
    files.world = found(".blw");
    files.statistics = found(".stx");
    return files;
}

const std::string& RasterFiles::File(Role role) const
{
    switch (role) {
    case Data: return data;
    case Header: return header;
    case World: return world;
    default: return statistics;
    }
}

const char* RoleName(RasterFiles::Role role)
{
    static constexpr const char* kNames[] = {"data file", "header", "world file", "statistics file"};
    return kNames[role];
}

bool SameEntry(const std::string& a, const std::string& b)
{
    const std::string nameA = NameOf(a);
    const std::string nameB = NameOf(b);
    return platform::EqualsIgnoreCase(nameA, nameB) && FolderKey(FolderOf(a)) == FolderKey(FolderOf(b)) &&
           (nameA == nameB || platform::SameFile(a, b));
}

std::vector<std::string> DataFilesBeside(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    const std::string_view stem(name.c_str(), tamsel::CPath::GetExtensionPtr(name.c_str()));
    std::vector<std::string> files;
    for (const std::string& other : NamesIn(folder)) {
        const std::string_view otherStem(other.c_str(), tamsel::CPath::GetExtensionPtr(other.c_str()));
        if (!IsSideFileName(other) &&
            (platform::EqualsIgnoreCase(otherStem, stem) || platform::EqualsIgnoreCase(other, stem))) {
            files.push_back(folder + other);
        }
    }
    return files;
}

} // namespace fennick

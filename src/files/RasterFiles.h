// Which files belong to a raster: decided here once, for the import that
// reads them, the export that writes them and every host that must not
// change another raster's files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fennick {

// Whether `path` names a header: its extension is ".hdr", in any case. Such a
// path is never read or written as a data file.
bool IsHeaderPath(std::string_view path);

// Whether the export can write a data file at `path`: it has an extension
// (which chooses the layout), and not a header's.
bool IsDataPath(std::string_view path);

// The names in the folders as they are, or as they will be once a write has
// created the names `created` (each exactly as given, in its folder).
class NameView {
public:
    NameView() = default;
    explicit NameView(const std::vector<std::string>& created);

    [[nodiscard]] bool Exists(const std::string& path) const;
    // The file `path` names as found where names ignore case: `path` itself
    // when it exists (under the name its folder holds); else the name in its
    // folder equal to its name ignoring ASCII case, the first in sorted
    // order; else `path` unchanged.
    [[nodiscard]] std::string Find(const std::string& path) const;

private:
    struct Name {
        std::string folder; // absolute, as the folder is reached
        std::string name;
    };
    [[nodiscard]] std::vector<std::string> CreatedIn(const std::string& path) const;
    std::vector<Name> created_;
};

// The files the import reads for the data file `data`. The header is the
// file with ".hdr" in place of the extension ("scene.hdr") or, when none
// such exists, with ".hdr" added ("scene.img.hdr"); the world and
// statistics files take ".blw" and ".stx" in place of it. Each is found
// case-blind (NameView::Find).
struct RasterFiles {
    enum Role { Data, Header, World, Statistics };
    static constexpr Role kRoles[] = {Data, Header, World, Statistics};

    std::string data;
    // The header under the data file's name with ".hdr" in place of its
    // extension, existing or not: the only name the module's own dialect is
    // read under, and the name the export writes its header to.
    std::string ownHeader;
    // The header the import opens: `ownHeader`, or the name with ".hdr"
    // added when only that one exists. It may not exist.
    std::string header;
    std::string world;      // empty when there is none
    std::string statistics; // empty when there is none

    static RasterFiles Of(const std::string& data, const NameView& view = NameView());

    // The file of `role`; empty when there is none.
    [[nodiscard]] const std::string& File(Role role) const;

    bool operator==(const RasterFiles&) const = default;
};

// What the role is called in messages: "data file", "header", ...
const char* RoleName(RasterFiles::Role role);

// Whether the two paths name one entry of one folder, whether or not
// anything is there, without following a link the entry may be: the same
// name, or where names ignore case one that differs only in case.
bool SameEntry(const std::string& a, const std::string& b);

// The data files that a file written at `path` could belong to: the other
// files of its folder whose name, less its extension or whole, equals
// `path`'s name less its extension, in any case, and that are not header,
// world or statistics files.
std::vector<std::string> DataFilesBeside(const std::string& path);

} // namespace fennick

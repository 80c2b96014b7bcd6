// The stand-in host's behaviour that the module's results rest on: the text
// test's verdict and rewind, and the path rules that find the side files.
#include <gtest/gtest.h>

#include "pelmo/Pelmo.h"
#include "support/TempDir.h"
#include "tamsel/Path.h"

namespace fennick::test {
namespace {

TEST(IsBinary, DecidesByNulAndControlCharactersAndRewinds)
{
    TempDir dir;
    const struct {
        std::string content;
        bool binary;
    } cases[] = {
        {"", false},
        {"nrows 3\r\nncols 4\r\n\f\t", false},
        {"caf\xc3\xa9 \xff\xfe text\n", false},
        {std::string("nrows 3\n\0", 9), true},
        {"abcdefghi\x01", false}, // one control character in ten bytes is still text
        {"abcdefgh\x01\x02", true},
        {std::string(300, 'a') + std::string(1, '\0'), false}, // beyond the examined 256 bytes
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write("head.hdr", c.content);
        tamsel::CBufferedFile file(path.c_str(), "rt", tamsel::CBufferedFile::ShareReadWrite, false);
        EXPECT_EQ(pelmo::IsBinary(file, 256), c.binary) << c.content;
        EXPECT_EQ(file.Seek(0, tamsel::CBufferedFile::Current), 0) << "rewound";
        std::string line;
        file.ReadString(line);
        EXPECT_EQ(line, c.content.substr(0, c.content.find('\n')).substr(0, line.size()));
    }
}

TEST(Path, ExtensionsNamesAndChanges)
{
    const struct {
        const char* path;
        const char* extension;
        const char* name;
        const char* changed;
    } cases[] = {
        {"/data/scene.bil", ".bil", "scene.bil", "/data/scene.hdr"},
        {"scene.tar.BSQ", ".BSQ", "scene.tar.BSQ", "scene.tar.hdr"},
        {"/data.d/scene", "", "scene", "/data.d/scene.hdr"},
        {"/data/.profile", "", ".profile", "/data/.profile.hdr"},
        {"scene.", "", "scene.", "scene..hdr"},
        {"", "", "", ".hdr"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(tamsel::CPath::GetExtensionPtr(c.path), c.extension) << c.path;
        EXPECT_EQ(tamsel::CPath::HasExtension(c.path), *c.extension != '\0') << c.path;
        EXPECT_STREQ(tamsel::CPath::GetNamePtr(c.path), c.name) << c.path;
        EXPECT_EQ(tamsel::CPath::ChangeExtension(c.path, ".hdr"), c.changed) << c.path;
    }
}

} // namespace
} // namespace fennick::test

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

#include "orvo/IoFilter.h"
#include "orvo/Transferable.h"
#include "pelmo/Pelmo.h"
#include "support/TempDir.h"
#include "tamsel/Format.h"
#include "tamsel/Path.h"
#include "tamsel/PrimType.h"

namespace fennick::test {
namespace {

using tamsel::CPrimData;
using tamsel::CPrimType;

template <class T>
std::int64_t Wide(CPrimType type, T value)
{
    return CPrimData(type, &value).GetWideInt();
}

TEST(GetWideInt, IntegersWidenByTheirOwnSignedness)
{
    EXPECT_EQ(Wide<std::int8_t>(CPrimType::Int8, -1), -1);
    EXPECT_EQ(Wide<std::uint8_t>(CPrimType::UInt8, 255), 255);
    EXPECT_EQ(Wide<std::int16_t>(CPrimType::Int16, -32768), -32768);
    EXPECT_EQ(Wide<std::uint16_t>(CPrimType::UInt16, 65535), 65535);
    EXPECT_EQ(Wide<std::int32_t>(CPrimType::Int32, INT32_MIN), INT32_MIN);
    EXPECT_EQ(Wide<std::uint32_t>(CPrimType::UInt32, 4000000000U), 4000000000LL);
    EXPECT_EQ(Wide<std::int64_t>(CPrimType::Int64, INT64_MIN), INT64_MIN);
    EXPECT_EQ(Wide<std::int64_t>(CPrimType::Int64, INT64_MAX), INT64_MAX);
}

TEST(GetWideInt, FloatsTruncateSaturateAndMapNaNToZero)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        std::int64_t expected;
    } cases[] = {
        {-2.9, -2},
        {2.9, 2},
        {-0.5, 0},
        {std::nan(""), 0},
        {inf, INT64_MAX},
        {-inf, INT64_MIN},
        {1e19, INT64_MAX},
        {-1e19, INT64_MIN},
        {0x1p63, INT64_MAX},
        {-0x1p63, INT64_MIN},
        {9.2e18, 9200000000000000000LL},
        {4294967296.0, 4294967296LL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Wide<double>(CPrimType::Float64, c.value), c.expected) << c.value;
        if (std::isnan(c.value) || std::isinf(c.value) || std::fabs(c.value) >= 0x1p63) {
            EXPECT_EQ(Wide<float>(CPrimType::Float32, static_cast<float>(c.value)), c.expected) << c.value;
        }
    }
    EXPECT_EQ(Wide<float>(CPrimType::Float32, -7.75F), -7);
    const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(CPrimData::GetWideInt(CPrimType(42), bytes), 0) << "an unknown type gives 0";
}

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
        EXPECT_EQ(file.GetPosition(), 0);
        std::string line;
        file.ReadString(line);
        EXPECT_EQ(line, c.content.substr(0, c.content.find('\n')).substr(0, line.size()));
    }
}

TEST(CommonGetStringOption, SplitsAtTheSeparatorAndMatchesKeysIgnoringCase)
{
    std::string value = "untouched";
    EXPECT_TRUE(pelmo::CommonGetStringOption("a=1, Scale = 2.5 ,flag", "scale", ',', value));
    EXPECT_EQ(value, "2.5");
    EXPECT_TRUE(pelmo::CommonGetStringOption("a=1, Scale = 2.5 ,flag", "FLAG", ',', value));
    EXPECT_EQ(value, "");
    value = "untouched";
    EXPECT_FALSE(pelmo::CommonGetStringOption("a=1;b=2", "b", ',', value)) << "';' does not split here";
    EXPECT_TRUE(pelmo::CommonGetStringOption("a=1;b=2", "b", ';', value));
    EXPECT_EQ(value, "2");
    value = "untouched";
    EXPECT_FALSE(pelmo::CommonGetStringOption(nullptr, "b", ',', value));
    EXPECT_FALSE(pelmo::CommonGetStringOption("", "b", ',', value));
    EXPECT_FALSE(pelmo::CommonGetStringOption("a=1,", "", ',', value));
    EXPECT_EQ(value, "untouched");
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

TEST(Format, FormatsTrimsAndSwaps)
{
    std::string text;
    EXPECT_TRUE(tamsel::FormatString(text, "%s=%.15f|%.12G", "x", 1.0, 0.1));
    EXPECT_EQ(text, "x=1.000000000000000|0.1");
    text = " \t\r\n value ";
    EXPECT_EQ(tamsel::TrimLeft(text), "value ");
    unsigned char bytes[4] = {1, 2, 3, 4};
    pelmo::ByteSwap(bytes, 4);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_EQ(bytes[3], 1);
    std::uint16_t halves[3] = {0x0102, 0x0304, 0x0506};
    pelmo::ByteSwapArray(halves, 2, 3);
    EXPECT_EQ(halves[2], 0x0605);
}

struct ThrowCase {
    std::function<void()> raise;
    std::optional<int> code;
    std::vector<std::string> parts;
};

TEST(ThrowError, CarriesCodeSourceAndAFinishedText)
{
    const ThrowCase cases[] = {
        {[] {
             orvo::IoFilter::ThrowError("BndImportFilter", 42, orvo::ErrBadRecord, "Unknown record format", 7,
                                        "/d/x.hdr");
         },
         23,
         {"Unknown record format", "7", "/d/x.hdr"}},
        {[] {
             orvo::IoFilter::ThrowError("BndImportFilter", 42, orvo::ErrReadFailed, "/d/x.bil",
                                        "Premature end of file.");
         },
         8,
         {"/d/x.bil", "Premature end of file."}},
        {[] { orvo::IoFilter::ThrowError("BndExportFilter", 42, orvo::ErrNoExportOpen); }, 15, {"No export is open"}},
        {[] { orvo::IoFilter::ThrowError("BndExportFilter", 42, "Unable to create %s.", "/d/x.hdr"); },
         std::nullopt,
         {"Unable to create /d/x.hdr."}},
    };
    for (const ThrowCase& c : cases) {
        try {
            c.raise();
            FAIL() << "ThrowError returned";
        } catch (const orvo::IoError& error) {
            EXPECT_EQ(error.GetCode(), c.code);
            EXPECT_EQ(error.GetSourceLine(), 42);
            EXPECT_NE(error.GetSourceFile().find("Filter"), std::string::npos);
            for (const std::string& part : c.parts) {
                EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
            }
        }
    }
}

TEST(Lattice, SizesAreCheckedAndScansCopy)
{
    orvo::TrUniformLattice huge(CPrimType::Float64, 1 << 30, 2, 1, 1 << 30);
    EXPECT_THROW((void)huge.RowBytes(), std::length_error);
    orvo::TrUniformLattice negative(CPrimType::Int8, -1, 2, 1, 1);
    EXPECT_THROW(orvo::TrLatticeScan{negative}, std::length_error);

    orvo::TrUniformLattice lattice(CPrimType::Int16, 3, 2, 1, 2);
    EXPECT_EQ(lattice.RowBytes(), 12U);
    orvo::TrLatticeScan scan(lattice);
    scan.rowBuffer[5] = 9;
    std::unique_ptr<orvo::TrBase> copy(scan.Clone());
    auto& copied = static_cast<orvo::TrLatticeScan&>(*copy);
    EXPECT_NE(copied.rowBuffer, scan.rowBuffer);
    EXPECT_EQ(copied.rowBuffer[5], 9);
    EXPECT_EQ(copy->GetTypeId(), orvo::TrLatticeScan::GetClassTypeId());

    lattice.AllocateValues();
    lattice.RowData(0, 1)[0] = 7;
    lattice.GetParams().Set("k", "v");
    std::unique_ptr<orvo::TrBase> latticeCopy(lattice.Clone());
    const auto& copiedLattice = static_cast<const orvo::TrUniformLattice&>(*latticeCopy);
    EXPECT_EQ(copiedLattice.RowData(0, 1)[0], 7);
    EXPECT_EQ(*copiedLattice.GetParams().Find("k"), "v");
}

} // namespace
} // namespace fennick::test

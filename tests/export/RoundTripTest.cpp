// What the export writes, the import reads back: every layout, chosen by the
// extension in any case (any other extension is BIL), every element type the
// export takes, 1, 3 and many bands (the vector squares'), from the smallest
// lattice it takes, its rows handed over in a wider scan; values as the
// export's 32-bit whole numbers give them, and the lattice's geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "export/BndExportFilter.h"
#include "hostside/Lattices.h"
#include "hostside/ParamReader.h"
#include "hostside/PrimValues.h"
#include "import/BndImportFilter.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

using tamsel::CPrimType;

// The value of node `i` in band `b`: a spread over the type's range with
// its extremes, and for floating-point types fractions, values beyond the
// 32-bit range, infinities and NaN.
double ValueOf(const ElementType& type, int i, int b)
{
    const int k = i * 7 + b * 3;
    if (type.kind == SampleKind::Float) {
        static constexpr double kSpecial[] = {1.5,  -7.9,  3e9,  -3e9, 2147483647.9, -2147483648.9,
                                              3e38, -3e38, 0.25, -0.5, 65536.5,      123.0};
        const double value = kSpecial[k % std::size(kSpecial)];
        return k % 13 == 5 ? NAN : k % 17 == 3 ? INFINITY : k % 19 == 4 ? -INFINITY : value;
    }
    const double low = type.kind == SampleKind::Signed ? -std::ldexp(1.0, type.bytes * 8 - 1) : 0.0;
    const double high = type.kind == SampleKind::Signed ? -low - 1 : std::ldexp(1.0, type.bytes * 8) - 1;
    const double spread = std::fmod(k * 1234567.0, high - low + 1) + low;
    return k % 5 == 0 ? low : k % 5 == 1 ? std::min(high, 9.2e18) : spread;
}

// The value as the export writes it: truncated toward zero and saturated to
// the signed 32-bit range, NaN as 0; an unsigned 32-bit value's exact bits.
std::int64_t Written(const ElementType& type, double value)
{
    if (type.id == CPrimType::UInt32) {
        return static_cast<std::int64_t>(value);
    }
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::clamp(std::trunc(value), -0x1p31, 0x1p31 - 1));
}

TEST(RoundTrip, WhatTheExportWritesTheImportReadsBack)
{
    const std::pair<const char*, const char*> kExtensions[] = {
        {".bil", "BIL"}, {".BIP", "BIP"}, {".bsq", "BSQ"}, {".Bsq", "BSQ"}, {".dat", "BIL"}};
    for (const auto& [extension, layout] : kExtensions) {
        const TempDir dir;
        for (const ElementType& type : kElementTypes) {
            for (const int bands : {1, 3, 17}) {
                for (const auto& [columns, rows] : {std::pair{2, 2}, std::pair{21, 3}}) {
                    const std::string path = dir.File(std::string("trip") + extension);
                    SCOPED_TRACE(std::string(type.name) + " " + extension + " " + std::to_string(bands) + " bands " +
                                 std::to_string(columns) + "x" + std::to_string(rows));
                    orvo::TrUniformLattice lattice(type.id, columns, rows, 1, bands);
                    std::tie(lattice.xMin, lattice.yMin, lattice.dx, lattice.dy) = std::tuple(-1000.5, 250.25, 30, 0.5);
                    const orvo::TrUniformLattice wider(type.id, columns + 1, rows, 1, bands);
                    orvo::TrLatticeScan scan(wider);
                    TestHost exportHost;
                    BndExportFilter exporter(exportHost);
                    ASSERT_EQ(exporter.BeginExport(path.c_str(), false), orvo::ExportStatus::Done);
                    ASSERT_EQ(exporter.ExportObject(lattice), orvo::ExportStatus::Done);
                    std::vector<std::int64_t> expected;
                    for (int row = 0; row < rows; ++row) {
                        unsigned char* at = scan.rowBuffer;
                        std::memset(at, 0xA5, orvo::LatticeRows::RowBytes(scan)); // the node past the lattice's
                        for (int i = row * columns; i < (row + 1) * columns; ++i) {
                            for (int b = 0; b < bands; ++b, at += type.bytes) {
                                const double value = ValueOf(type, i, b);
                                tamsel::VisitPrimType(type.id, [&](auto zero) {
                                    const auto element = static_cast<decltype(zero)>(value);
                                    std::memcpy(at, &element, sizeof element);
                                    expected.push_back(Written(type, static_cast<double>(element)));
                                });
                            }
                        }
                        ASSERT_EQ(exporter.ExportObject(scan), orvo::ExportStatus::Done);
                    }
                    ASSERT_EQ(exporter.EndExport(), orvo::ExportStatus::Done);

                    TestHost importHost;
                    BndImportFilter importer(importHost);
                    ASSERT_EQ(importer.ProbeFile(path.c_str()), 1);
                    ASSERT_EQ(importer.ImportFromFile(path.c_str(), false), orvo::ImportStatus::Done);
                    const bool unsigned32 = type.id == CPrimType::UInt32;
                    ASSERT_TRUE(importHost.lattice.has_value());
                    EXPECT_EQ(*importHost.lattice, (TestHost::Lattice{.type = unsigned32 ? type.id : CPrimType::Int32,
                                                                      .columns = columns,
                                                                      .rows = rows,
                                                                      .components = bands,
                                                                      .xMin = lattice.xMin,
                                                                      .yMin = lattice.yMin,
                                                                      .dx = lattice.dx,
                                                                      .dy = lattice.dy}));
                    EXPECT_EQ(*tamsel::CParamReader::Find(importHost.params, facts::kLayout), layout);
                    std::vector<std::int64_t> read;
                    for (const auto& bytes : importHost.rows) {
                        for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
                            std::uint32_t bits = 0;
                            std::memcpy(&bits, bytes.data() + at, 4);
                            read.push_back(unsigned32 ? std::int64_t{bits}
                                                      : std::int64_t{static_cast<std::int32_t>(bits)});
                        }
                    }
                    EXPECT_EQ(read, expected);
                }
            }
        }
    }
}

} // namespace
} // namespace fennick::test

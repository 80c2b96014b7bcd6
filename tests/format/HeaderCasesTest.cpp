// Runs the header, world and statistics cases of tests/data/headers.cases
// through the format's reader.
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>

#include "format/HeaderReader.h"
#include "support/CaseFile.h"
#include "support/Expect.h"
#include "support/Posix.h"
#include "support/TempDir.h"

namespace fennick::test {
namespace {

using Setter = void (*)(BndDescription&, const std::string&);

template <auto Field>
void Number(BndDescription& d, const std::string& v)
{
    d.header.*Field = static_cast<std::remove_reference_t<decltype(d.header.*Field)>>(std::stod(v));
}

template <std::optional<double> BndDescription::*Field>
void Optional(BndDescription& d, const std::string& v)
{
    d.*Field = std::stod(v);
}

template <std::size_t N, char (BndHeader::*Field)[N]>
void Text(BndDescription& d, const std::string& v)
{
    std::memset(d.header.*Field, 0, N);
    std::memcpy(d.header.*Field, v.data(), std::min(v.size(), N - 1));
}

const std::map<std::string, Setter> kSetters = {
    {"nrows", Number<&BndHeader::nrows>},
    {"ncols", Number<&BndHeader::ncols>},
    {"nbands", Number<&BndHeader::nbands>},
    {"nbits", Number<&BndHeader::nbits>},
    {"byteorder", Text<2, &BndHeader::byteorder>},
    {"layout", Text<4, &BndHeader::layout>},
    {"skipbytes", Number<&BndHeader::skipbytes>},
    {"ulxmap", Number<&BndHeader::ulxmap>},
    {"ulymap", Number<&BndHeader::ulymap>},
    {"xdim", Number<&BndHeader::xdim>},
    {"ydim", Number<&BndHeader::ydim>},
    {"bandrowbytes", Number<&BndHeader::bandrowbytes>},
    {"totalrowbytes", Number<&BndHeader::totalrowbytes>},
    {"bandgapbytes", Number<&BndHeader::bandgapbytes>},
    {"Projection", Text<80, &BndHeader::Projection>},
    {"Datum", Text<80, &BndHeader::Datum>},
    {"Units", Text<40, &BndHeader::Units>},
    {"layoutCode",
     [](BndDescription& d, const std::string& v) {
         d.layoutCode = v == "BIP" ? BndLayout::BIP : v == "BSQ" ? BndLayout::BSQ : BndLayout::BIL;
     }},
    {"sampleType", [](BndDescription& d, const std::string& v) { d.sampleType = std::stoi(v); }},
    {"swapBytes", [](BndDescription& d, const std::string& v) { d.swapBytes = v == "1"; }},
    {"valueMin", [](BndDescription& d, const std::string& v) { d.valueMin = std::stod(v); }},
    {"valueMax", [](BndDescription& d, const std::string& v) { d.valueMax = std::stod(v); }},
    {"pixeltype", [](BndDescription& d, const std::string& v) { v.copy(d.pixeltype, sizeof d.pixeltype - 1); }},
    {"cellsize", Optional<&BndDescription::cellsize>},
    {"xllcorner", Optional<&BndDescription::xllcorner>},
    {"yllcorner", Optional<&BndDescription::yllcorner>},
    {"xllcenter", Optional<&BndDescription::xllcenter>},
    {"yllcenter", Optional<&BndDescription::yllcenter>},
    {"nodata", Optional<&BndDescription::nodata>},
};

// The defaults with the case's "field value" pairs applied.
BndDescription Expected(const std::string& pairs)
{
    BndDescription d;
    std::istringstream in(pairs);
    std::string key;
    std::string value;
    while (in >> key >> value) {
        const auto it = kSetters.find(key);
        if (it == kSetters.end()) {
            ADD_FAILURE() << "no field " << key;
            continue;
        }
        it->second(d, value);
    }
    return d;
}

std::string Show(const BndDescription& d)
{
    const BndHeader& h = d.header;
    std::ostringstream out;
    out.precision(17);
    out << "nrows " << h.nrows << " ncols " << h.ncols << " nbands " << h.nbands << " nbits " << h.nbits
        << " byteorder " << h.byteorder << " layout " << h.layout << " skipbytes " << h.skipbytes << " ulxmap "
        << h.ulxmap << " ulymap " << h.ulymap << " xdim " << h.xdim << " ydim " << h.ydim << " bandrowbytes "
        << h.bandrowbytes << " totalrowbytes " << h.totalrowbytes << " bandgapbytes " << h.bandgapbytes
        << " Projection " << h.Projection << " Datum " << h.Datum << " Units " << h.Units << " layoutCode "
        << LayoutName(d.layoutCode) << " sampleType " << d.sampleType << " swapBytes " << d.swapBytes << " valueMin "
        << d.valueMin << " valueMax " << d.valueMax;
    return out.str();
}

TEST(HeaderCases, EachCaseReadsOrIsRefusedAsItSays)
{
    for (const Case& c : ReadCases("headers.cases")) {
        SCOPED_TRACE(c.name + " (headers.cases line " + std::to_string(c.line) + ")");
        if (!kPosix && c.Has("posix-only")) {
            std::cout << "skipped on Windows, POSIX only: " << c.name << " (" << c.Get("posix-only") << ")\n";
            continue;
        }
        TempDir dir;
        const std::string name = c.Get("data-path", "scene.bil");
        const std::string data = dir.File(name);
        for (const char* side : {"hdr", "blw", "stx"}) {
            if (c.Has(side)) {
                dir.Lay(name.substr(0, name.rfind('.')) + "." + side, c.Get(side));
            }
        }
        for (const auto& [key, text] : c.fields) {
            if (key.starts_with("file ")) {
                dir.Lay(key.substr(5), text);
            }
        }
        BndDescription read;
        const auto loud = [&] { return ReadDescription(data.c_str(), false, read); };
        if (c.Has("expect")) {
            const BndDescription expected = Expected(c.Get("expect"));
            for (const bool quiet : {true, false}) {
                ASSERT_EQ(ReadDescription(data.c_str(), quiet, read), 0);
                EXPECT_TRUE(read == expected) << "read:     " << Show(read) << "\nexpected: " << Show(expected);
            }
            continue;
        }
        EXPECT_EQ(ReadDescription(data.c_str(), true, read), 1) << "quietly";
        if (c.Has("bad-record")) {
            std::istringstream in(c.Get("bad-record"));
            int line = 0;
            std::string file;
            in >> line >> file;
            ExpectBadRecord(CatchIoError(loud), line, dir.File(file));
        } else if (c.Has("error")) {
            const orvo::IoError error = CatchIoError(loud);
            EXPECT_EQ(error.what(),
                      std::regex_replace(c.Get("error"), std::regex("<dir>/"), (dir.Path() / "").string()));
            EXPECT_EQ(error.GetSourceFile(), "BndImportFilter");
        } else {
            EXPECT_EQ(loud(), 1) << "silently";
        }
    }
}

} // namespace
} // namespace fennick::test

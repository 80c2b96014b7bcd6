// The module as the host sees it: loaded by path, driven through its factories.
#include <gtest/gtest.h>
#include <memory>

#include "ModuleLoader.h"
#include "RasterWriter.h"
#include "orvo/Transferable.h"
#include "support/TempDir.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

// A host that hands every object an import gives it to an export.
struct Relay : TestHost {
    orvo::IoExportFilter* exporter = nullptr;
    std::vector<const tamsel::CTypeInfo*> types;

    bool ReceiveObject(orvo::TrBase& object) override
    {
        types.push_back(object.GetTypeId());
        return exporter->ExportObject(object) == orvo::ExportStatus::Done;
    }
};

// Both factories make working filters: what the import hands a host, the
// export takes back, and both say they support each such type, and the
// coordinate system a host asks about first; not a type they do not know,
// nor none. Their options are inert, and they read a key from a
// comma-separated list.
TEST(PluginTest, BothFactoriesMakeWorkingFilters)
{
    bndhost::ModuleLoader module{FENNICK_MODULE_PATH};
    TempDir dir;
    rasters::WriteRaster(dir.File("in.bil"), {.nrows = 3, .ncols = 4, .nbands = 2},
                         [](int row, int band, int column) { return static_cast<std::uint32_t>(row + band + column); });
    Relay host;
    std::unique_ptr<orvo::IoImportFilter> importer(module.Importer()(host));
    std::unique_ptr<orvo::IoExportFilter> exporter(module.Exporter()(host));
    ASSERT_NE(importer, nullptr);
    ASSERT_NE(exporter, nullptr);
    host.exporter = exporter.get();
    ASSERT_EQ(exporter->BeginExport(dir.File("out.bsq").c_str(), false), orvo::ExportStatus::Done);
    ASSERT_EQ(importer->ImportFromFile(dir.File("in.bil").c_str(), false), orvo::ImportStatus::Done);
    ASSERT_EQ(exporter->EndExport(), orvo::ExportStatus::Done);
    EXPECT_EQ(host.types.size(), 4U) << "the lattice and its three rows";

    static const tamsel::CTypeInfo otherType("Other");
    for (orvo::IoFilter* filter :
         {static_cast<orvo::IoFilter*>(importer.get()), static_cast<orvo::IoFilter*>(exporter.get())}) {
        for (const tamsel::CTypeInfo* type : host.types) {
            EXPECT_TRUE(filter->IsTypeSupported(type)) << type->GetName();
        }
        EXPECT_TRUE(filter->IsTypeSupported(orvo::TrCRS::GetClassTypeId()));
        EXPECT_FALSE(filter->IsTypeSupported(&otherType));
        EXPECT_FALSE(filter->IsTypeSupported(nullptr));
        filter->SetOptions(0xFFFFFFFF);
        EXPECT_EQ(filter->GetOptions(), "");
        std::string value;
        EXPECT_TRUE(filter->GetStringOption("a=1,b=2", "b", value));
        EXPECT_EQ(value, "2");
        EXPECT_FALSE(filter->GetStringOption("a=1;b=2", "b", value));
    }
}

} // namespace
} // namespace fennick::test

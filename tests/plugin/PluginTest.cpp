// The module as the host sees it: loaded by path, driven through its factories.
#include <gtest/gtest.h>
#include <memory>

#include "ModuleLoader.h"
#include "orvo/Transferable.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

// Both factories make filters that take the coordinate system a host may
// offer (the lattice and its rows bndhost's convert relays only when the
// export says it takes them), not a type they do not know, nor none, and
// whose options are inert.
TEST(PluginTest, BothFactoriesMakeWorkingFilters)
{
    bndhost::ModuleLoader module{FENNICK_MODULE_PATH};
    TestHost host;
    std::unique_ptr<orvo::IoImportFilter> importer(module.Importer()(host));
    std::unique_ptr<orvo::IoExportFilter> exporter(module.Exporter()(host));
    static const tamsel::CTypeInfo otherType("Other");
    for (orvo::IoFilter* filter :
         {static_cast<orvo::IoFilter*>(importer.get()), static_cast<orvo::IoFilter*>(exporter.get())}) {
        ASSERT_NE(filter, nullptr);
        EXPECT_TRUE(filter->IsTypeSupported(orvo::TrCRS::GetClassTypeId()));
        EXPECT_FALSE(filter->IsTypeSupported(&otherType));
        EXPECT_FALSE(filter->IsTypeSupported(nullptr));
        filter->SetOptions(0xFFFFFFFF);
        EXPECT_EQ(filter->GetOptions(), "");
    }
}

// A library with one of the two factories is no module: the host says which it lacks.
TEST(PluginTest, ALibraryWithOneFactoryIsNoModule)
{
    try {
        bndhost::ModuleLoader module{ONE_FACTORY_PATH};
        ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("has no ExportBND"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace fennick::test

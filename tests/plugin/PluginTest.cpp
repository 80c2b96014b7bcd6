// The module as the host sees it: loaded by path, driven through its factories.
#include <gtest/gtest.h>
#include <memory>

#include "ModuleLoader.h"
#include "orvo/Transferable.h"
#include "support/TestHost.h"

namespace fennick::test {
namespace {

class PluginTest : public ::testing::Test {
protected:
    bndhost::ModuleLoader module{FENNICK_MODULE_PATH};
    TestHost host;
};

// Both factories make filters that accept the three types and whose options are inert.
TEST_F(PluginTest, BothFactoriesMakeWorkingFilters)
{
    std::unique_ptr<orvo::IoImportFilter> importer(module.Importer()(host));
    std::unique_ptr<orvo::IoExportFilter> exporter(module.Exporter()(host));
    ASSERT_NE(importer, nullptr);
    ASSERT_NE(exporter, nullptr);
    static const tamsel::CTypeInfo otherType("Other");
    for (orvo::IoFilter* filter :
         {static_cast<orvo::IoFilter*>(importer.get()), static_cast<orvo::IoFilter*>(exporter.get())}) {
        EXPECT_TRUE(filter->IsTypeSupported(orvo::TrCRS::GetClassTypeId()));
        EXPECT_TRUE(filter->IsTypeSupported(orvo::TrUniformLattice::GetClassTypeId()));
        EXPECT_TRUE(filter->IsTypeSupported(orvo::TrLatticeScan::GetClassTypeId()));
        EXPECT_FALSE(filter->IsTypeSupported(&otherType));
        EXPECT_FALSE(filter->IsTypeSupported(nullptr));
        filter->SetOptions(0xFFFFFFFF);
        EXPECT_EQ(filter->GetOptions(), "");
        std::string value;
        EXPECT_TRUE(filter->GetStringOption("a=1,b=2", "b", value));
        EXPECT_EQ(value, "2");
        EXPECT_FALSE(filter->GetStringOption("a=1;b=2", "b", value));
        std::vector<orvo::IoPropertyPage*> pages;
        filter->GetPropertyPages(pages, "");
        EXPECT_TRUE(pages.empty());
    }
}

} // namespace
} // namespace fennick::test

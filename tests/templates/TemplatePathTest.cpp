// The template file's path as DriverConfig derives it from its root and module name.
#include <gtest/gtest.h>

#include "templates/TemplatePath.h"

namespace {

TEST(TemplatePath, ModelNameAndPathFollowTheModuleName) {
    EXPECT_EQ(templates::ModelNameOf("PCI3916Cfg.dll"), "PCI3916");
    EXPECT_EQ(templates::ModelNameOf("PCI3916ICfg.dll"), "PCI3916I");
    EXPECT_EQ(templates::ModelNameOf("XICfg.dll"), "XICfg.dl");
    EXPECT_EQ(templates::ModelNameOf("PCI3916icfg.dll"), "PCI3916") << "the test keeps letter case";
    EXPECT_EQ(templates::ModelNameOf("PCI"), "PCI");
    EXPECT_EQ(templates::ModelNameOf(""), "");
    EXPECT_EQ(templates::RegFilePathOf("C:\\root\\", "PCI3916Cfg.dll"),
              "C:\\root\\Public\\Tarnwick\\Device_Drivers\\PCI3916\\PCI3916.reg");
    EXPECT_EQ(templates::RegFilePathOf("/r", "PCI3916ICfg.dll"),
              "/rPublic\\Tarnwick\\Device_Drivers\\PCI3916I\\PCI3916I.reg")
        << "the root is used verbatim";
}

} // namespace

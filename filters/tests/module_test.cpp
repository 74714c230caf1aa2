// Binding to a host and the module's identity.
#include "mardolin_test.h"

namespace mardolin_test {
namespace {

TEST(MardolinModule, AcceptsInterfaceVersionOnePointFiveAndLaterOnly) {
    struct Case {
        HostWord major, minor, accepted;
    };
    const Case cases[] = {{1, 4, 0}, {1, 5, 1}, {1, 6, 1}, {1, 40, 1}, {2, 5, 0}, {0, 9, 0}, {1, 0, 0}};
    auto plugin = openMardolin();
    ASSERT_NE(plugin, nullptr);
    for (const Case &c : cases) {
        host::Interpreter vm;
        vm.setVersion(c.major, c.minor);
        EXPECT_EQ(plugin->bind(vm.table()), c.accepted) << c.major << "." << c.minor;
    }
    EXPECT_EQ(plugin->bind(nullptr), 0) << "no table";
}

TEST(MardolinModule, NamesItself) {
    auto plugin = openMardolin();
    ASSERT_NE(plugin, nullptr);
    ASSERT_NE(plugin->moduleName(), nullptr);
    EXPECT_STREQ(plugin->moduleName(), "Mardolin 16 May 2003 (e)");
}

TEST(MardolinModule, ExportsTheEightPrimitivesAndNoInitialisation) {
    auto plugin = openMardolin();
    ASSERT_NE(plugin, nullptr);
    for (const char *name : {"adjustBrightnessAndContrast", "adjustRBGBrightnessAndContrast", "backgroundSubstraction",
                             "matrix3X3Multiplication", "matrix5X5Multiplication", "melt", "oldBWTV", "oldColorTV"})
        EXPECT_NE(plugin->primitive(name), nullptr) << name;
    EXPECT_EQ(plugin->symbol("initialiseModule"), nullptr);
    EXPECT_EQ(plugin->symbol("shutdownModule"), nullptr);
}

} // namespace
} // namespace mardolin_test

#include "install/compatibility_layer.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/fake_registry.h"
#include "install/install_error.h"

namespace tk::install {
namespace {

using platform::RegistryRoot;
using Strings = std::vector<std::string>;

const std::string kLayers(kLayersKey);

class CompatibilityLayerTest : public ::testing::Test {
protected:
    void AddBothLayersKeys() {
        registry.AddKey(RegistryRoot::LocalMachine, kLayers);
        registry.AddKey(RegistryRoot::CurrentUser, kLayers);
    }
    std::map<std::string, std::string> Marks(RegistryRoot root) const {
        std::map<std::string, std::string> marks;
        for (const auto& [name, value] : registry.Values(root, kLayers)) {
            marks[name] = registry.Text(root, kLayers, name);
        }
        return marks;
    }

    fakes::FakeRegistry registry;
    fakes::FakeSystem system;
};

TEST_F(CompatibilityLayerTest, WithoutLayersKeysNothingIsWrittenOrCreated) {
    SetCompatibilityLayer(registry, system);
    EXPECT_EQ(registry.log, (Strings{"Open HKLM " + kLayers, "Open HKCU " + kLayers}));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kLayers));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, kLayers));
}

TEST_F(CompatibilityLayerTest, MarksEachStartPathUnderBothRoots) {
    AddBothLayersKeys();
    SetCompatibilityLayer(registry, system);
    const std::string first = "D:\\Setup\\tidykiosk_filter_v3.exe";
    EXPECT_EQ(registry.log, (Strings{
                                "Open HKLM " + kLayers,
                                "Set HKLM " + kLayers + " " + first + " REG_SZ \"WINXPSP2\"",
                                "Close HKLM " + kLayers,
                                "Open HKCU " + kLayers,
                                "Set HKCU " + kLayers + " " + first + " REG_SZ \"WINXPSP2\"",
                                "Close HKCU " + kLayers,
                            }));

    system.modulePath = "C:\\Users\\kasa\\Downloads\\tidykiosk_filter_v3.exe";
    SetCompatibilityLayer(registry, system);
    SetCompatibilityLayer(registry, system);  // the same path again changes nothing
    const std::map<std::string, std::string> expected = {{first, "WINXPSP2"},
                                                         {system.modulePath, "WINXPSP2"}};
    EXPECT_EQ(Marks(RegistryRoot::LocalMachine), expected);
    EXPECT_EQ(Marks(RegistryRoot::CurrentUser), expected);
    EXPECT_EQ(registry.openKeys, 0);
}

TEST_F(CompatibilityLayerTest, AMachineKeyThatCannotBeOpenedLeavesTheUserMark) {
    AddBothLayersKeys();
    registry.refusedRoots.insert(RegistryRoot::LocalMachine);
    SetCompatibilityLayer(registry, system);
    EXPECT_TRUE(Marks(RegistryRoot::LocalMachine).empty());
    EXPECT_EQ(Marks(RegistryRoot::CurrentUser).size(), 1u);
}

TEST_F(CompatibilityLayerTest, AFailedWriteIsPassedOnWithTheValueName) {
    AddBothLayersKeys();
    registry.failingWrite =
        fakes::FakeRegistry::Name(RegistryRoot::LocalMachine, kLayers) + "|" + system.modulePath;
    try {
        SetCompatibilityLayer(registry, system);
        FAIL() << "the failed write was not passed on";
    } catch (const InstallError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'D:\\Setup\\tidykiosk_filter_v3.exe'");
    }
    EXPECT_EQ(registry.log.back(), "Close HKLM " + kLayers);
    EXPECT_EQ(registry.openKeys, 0);
    EXPECT_TRUE(Marks(RegistryRoot::CurrentUser).empty());
}

}  // namespace
}  // namespace tk::install

#include "install/catalogue.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tk::install {
namespace {

TEST(Catalogue, ClientInstallsExactlyTheSixPlusEntries) {
    std::vector<int> clientIds;
    for (const PayloadEntry& entry : PayloadCatalogue()) {
        if (entry.entry.front() == '+') {
            clientIds.push_back(entry.id);
        }
    }
    EXPECT_EQ(clientIds, (std::vector<int>{102, 103, 104, 105, 110, 111}));
    ASSERT_EQ(PayloadCatalogue().size(), 15u);
    EXPECT_EQ(PayloadCatalogue().front().id, kFirstPayloadId);
    EXPECT_EQ(PayloadCatalogue().back().id, kLastPayloadId);
}

TEST(Catalogue, AppNameIsPrefixAndVersionWithNothingBetween) {
    EXPECT_EQ(AppNameOf(kServerEdition), "tidyKiosk Filter Server v3.3.33 en");
    EXPECT_EQ(AppNameOf(kClientEdition), "tidyKiosk Filter Client v3.3.33 en");
    EXPECT_THROW(EditionOf(static_cast<EditionCode>(2)), std::exception);
}

TEST(Catalogue, ClientLanguagesGoToTheLanguagesFolder) {
    ASSERT_EQ(ClientLanguageList().size(), 2u);
    EXPECT_EQ(ClientLanguageList()[0].entry, "languages\\data\\turkce.lng");
    EXPECT_EQ(ClientLanguageList()[1].entry, "languages\\data\\english.lng");
}

}  // namespace
}  // namespace tk::install

// The wizard's pages, buttons, texts and folder rules, without a window.
#include <gtest/gtest.h>

#include <set>

#include "app/wizard_model.h"
#include "fakes/fake_shell.h"

namespace tk::app {
namespace {

class WizardModelTest : public ::testing::Test {
protected:
    WizardModelTest() : model(state, shell) {
        shell.specialFolders[platform::kCsidlProgramFiles] = "C:\\Program Files";
        model.Start();
        model.FillPlaceholders();
    }

    const ControlState& Next() const { return model.Control(kNextButton); }
    const ControlState& Back() const { return model.Control(kBackButton); }
    const std::string& Text(int id) const { return model.Control(id).text; }

    // Next from page 0 to the given page, ticking and choosing on the way.
    void WalkTo(int page, int edition = 0) {
        while (state.pageIndex < page) {
            if (state.pageIndex == 1) {
                model.AcceptClicked(true);
            }
            if (state.pageIndex == 2 && !model.Control(kServerChoice).checked &&
                !model.Control(kClientChoice).checked) {
                model.EditionClicked(edition);
            }
            model.ButtonClick(kNextTag);
        }
    }

    WizardState state;
    fakes::FakeShell shell;
    WizardModel model;
};

TEST_F(WizardModelTest, StartsOnTheWelcomePageWithTheGenericName) {
    EXPECT_EQ(0, model.ActivePage());
    EXPECT_EQ(0, state.pageIndex);
    EXPECT_EQ("tidyKiosk Filter v3", state.appName);
    EXPECT_EQ("tidyKiosk Filter v3 Installation", model.Caption());
    EXPECT_EQ("Version v3", Text(kVersionPanel));
    EXPECT_TRUE(model.Control(TabSheetId(0)).visible);
    for (int page = 1; page < kPageCount; ++page) {
        EXPECT_FALSE(model.Control(TabSheetId(page)).visible) << page;
    }
    EXPECT_FALSE(Back().visible);
    EXPECT_EQ("&Next >", Next().text);
    EXPECT_TRUE(Next().enabled);
    EXPECT_EQ("Cancel", Text(kCancelButton));
    EXPECT_FALSE(model.Control(kAgreeCheckBox).checked);
    EXPECT_FALSE(model.Control(kServerChoice).checked);
    EXPECT_FALSE(model.Control(kClientChoice).checked);
    EXPECT_TRUE(model.Control(kRunCheckBox).checked);
}

TEST_F(WizardModelTest, PlaceholdersAreFilledInTheirSixLabels) {
    EXPECT_EQ("Welcome to tidyKiosk Firewall Setup Wizard", Text(LabelId(1)));
    EXPECT_EQ(
        "This wizard will guide you through the installation of tidyKiosk Firewall.\r\n\r\n"
        "It is recommended that you close all other applications before starting Setup. This "
        "will make it possible to update relevant system files without having to reboot your "
        "computer.\r\n\r\nClick Next to continue.",
        Text(LabelId(2)));
    EXPECT_EQ("Ready to install tidyKiosk Firewall", Text(LabelId(15)));
    EXPECT_EQ(
        "You are now ready to install tidyKiosk Firewall\r\n\r\nClick the Next button to begin "
        "the installation or the Back button to reenter the installation information.",
        Text(LabelId(10)));
    EXPECT_EQ("tidyKiosk", Text(LabelId(22)));
    EXPECT_EQ("tidyKiosk will be installed in the following folder", Text(LabelId(12)));
    // The completion texts keep their own placeholder until the install replaces them whole.
    EXPECT_EQ("%app% is successfully installed. Please click Finish to quit.", Text(LabelId(24)));
    EXPECT_EQ("Run %app%", Text(kRunCheckBox));
    EXPECT_EQ("Kurulum i\xE7in haz\xFDrlan\xFDyor...", Text(LabelId(23)));
    EXPECT_EQ("License Agreement && Terms and Conditions", Text(LabelId(5)));
}

TEST(WizardTextTest, ReplaceFirstIsOnceAndCaseSensitive) {
    EXPECT_EQ("a X b %APP_NAME%", ReplaceFirst("a %APP_NAME% b %APP_NAME%", "%APP_NAME%", "X"));
    EXPECT_EQ("%app_name%", ReplaceFirst("%app_name%", "%APP_NAME%", "X"));
    EXPECT_EQ("%app%%app%", ReplaceAll("%app%", "%app%", "%app%%app%"));  // no endless loop
}

TEST_F(WizardModelTest, EveryPageHasItsButtonStatesAndCaptions) {
    struct Expected {
        int page;
        bool backVisible;
        bool nextEnabled;
        const char* nextCaption;
    };
    // Arriving by Next, before anything on the page is touched.
    const Expected pages[] = {
        {1, true, false, "&Next >"}, {2, true, false, "&Next >"},  {3, true, true, "&Next >"},
        {4, true, true, "&Install"}, {5, true, false, "&Install"},
    };
    for (const Expected& expected : pages) {
        if (state.pageIndex == 1) {
            model.AcceptClicked(true);
        }
        if (state.pageIndex == 2) {
            model.EditionClicked(0);
        }
        const WizardAction action = model.ButtonClick(kNextTag);
        SCOPED_TRACE(expected.page);
        EXPECT_EQ(expected.page, state.pageIndex);
        EXPECT_EQ(expected.page, model.ActivePage());
        EXPECT_TRUE(model.Control(TabSheetId(expected.page)).visible);
        EXPECT_FALSE(model.Control(TabSheetId(expected.page - 1)).visible);
        EXPECT_EQ(expected.backVisible, Back().visible);
        EXPECT_EQ(expected.nextEnabled, Next().enabled);
        EXPECT_EQ(expected.nextCaption, Next().text);
        EXPECT_EQ(expected.page == 5 ? WizardAction::RunInstall : WizardAction::None, action);
        EXPECT_TRUE(model.Control(kCancelButton).enabled);
    }
    EXPECT_FALSE(Back().enabled);  // the progress page shows Back, disabled
}

TEST_F(WizardModelTest, BackRestoresNextAndHidesBackOnTheWelcomePage) {
    WalkTo(4);
    ASSERT_EQ("&Install", Next().text);
    model.ButtonClick(kBackTag);
    EXPECT_EQ(3, model.ActivePage());
    EXPECT_EQ("&Next >", Next().text);
    EXPECT_TRUE(Next().enabled);
    model.ButtonClick(kBackTag);
    model.ButtonClick(kBackTag);
    model.ButtonClick(kBackTag);
    EXPECT_EQ(0, model.ActivePage());
    EXPECT_FALSE(Back().visible);
    EXPECT_TRUE(Next().enabled);
    EXPECT_EQ(WizardAction::None, model.ButtonClick(kBackTag));  // hidden: nothing happens
    EXPECT_EQ(0, state.pageIndex);
}

TEST_F(WizardModelTest, AgreementMustBeAcceptedOnEveryVisit) {
    WalkTo(1);
    EXPECT_FALSE(Next().enabled);
    EXPECT_EQ(WizardAction::None, model.ButtonClick(kNextTag));  // disabled: stays
    EXPECT_EQ(1, state.pageIndex);
    model.AcceptClicked(true);
    EXPECT_TRUE(Next().enabled);
    model.AcceptClicked(false);
    EXPECT_FALSE(Next().enabled);
    model.AcceptClicked(true);
    model.ButtonClick(kBackTag);
    model.ButtonClick(kNextTag);
    EXPECT_FALSE(model.Control(kAgreeCheckBox).checked);
    EXPECT_FALSE(Next().enabled);
    // Coming back from page 2 clears it too.
    model.AcceptClicked(true);
    model.ButtonClick(kNextTag);
    model.ButtonClick(kBackTag);
    EXPECT_FALSE(model.Control(kAgreeCheckBox).checked);
}

TEST_F(WizardModelTest, EditionPageNeedsAChoiceAndKeepsIt) {
    WalkTo(2);
    EXPECT_FALSE(Next().enabled);
    EXPECT_EQ("tidyKiosk Filter Server v3.3.33 en", Text(kServerChoice));
    EXPECT_EQ("tidyKiosk Filter Client v3.3.33 en", Text(kClientChoice));
    model.EditionClicked(1);
    EXPECT_TRUE(Next().enabled);
    EXPECT_EQ(install::kClientEdition, state.edition);
    EXPECT_EQ("tidyKiosk Filter Client v3.3.33 en", state.appName);
    EXPECT_TRUE(model.Control(kClientChoice).checked);
    EXPECT_FALSE(model.Control(kServerChoice).checked);
    model.ButtonClick(kNextTag);
    model.ButtonClick(kBackTag);
    EXPECT_TRUE(model.Control(kClientChoice).checked);
    EXPECT_TRUE(Next().enabled);
    model.EditionClicked(0);
    EXPECT_EQ(install::kServerEdition, state.edition);
    EXPECT_EQ("tidyKiosk Filter Server v3.3.33 en", state.appName);
}

TEST_F(WizardModelTest, DefaultFolderComesFromProgramFilesForTheChosenEdition) {
    WalkTo(3, 1);
    EXPECT_EQ("C:\\Program Files\\tidyKiosk\\Filter Client\\", Text(kFolderEdit));
    EXPECT_EQ(Text(kFolderEdit), state.installFolder);

    WizardState otherState;
    fakes::FakeShell otherShell;
    otherShell.specialFolders[platform::kCsidlProgramFiles] = "D:\\Apps\\";
    WizardModel other(otherState, otherShell);
    other.Start();
    other.ButtonClick(kNextTag);
    other.AcceptClicked(true);
    other.ButtonClick(kNextTag);
    other.EditionClicked(0);
    other.ButtonClick(kNextTag);
    EXPECT_EQ("D:\\Apps\\tidyKiosk\\Filter Server\\", other.Control(kFolderEdit).text);
}

TEST_F(WizardModelTest, BrowseAddsTheProductFoldersToTheChosenFolder) {
    WalkTo(3);
    model.BrowseChose("D:\\");
    EXPECT_EQ("D:\\tidyKiosk\\Filter Server\\", Text(kFolderEdit));
    model.BrowseChose("E:\\Games");
    EXPECT_EQ("E:\\Games\\tidyKiosk\\Filter Server\\", Text(kFolderEdit));
    model.ButtonClick(kNextTag);
    EXPECT_EQ("E:\\Games\\tidyKiosk\\Filter Server\\", state.installFolder);
    EXPECT_EQ("E:\\Games\\tidyKiosk\\Filter Server\\", Text(LabelId(18)));
    EXPECT_EQ("tidyKiosk Filter Server v3.3.33 en", Text(LabelId(16)));
}

TEST_F(WizardModelTest, BackAndNextKeepTheFolderShown) {
    WalkTo(3);
    model.BrowseChose("D:\\");
    model.ButtonClick(kBackTag);
    model.ButtonClick(kNextTag);
    EXPECT_EQ("D:\\tidyKiosk\\Filter Server\\", Text(kFolderEdit));
    model.ButtonClick(kNextTag);
    model.ButtonClick(kBackTag);
    EXPECT_EQ("D:\\tidyKiosk\\Filter Server\\", Text(kFolderEdit));
}

TEST_F(WizardModelTest, OnlyAChangeOfEditionAfterBrowseResetsToItsDefault) {
    WalkTo(3);
    model.BrowseChose("D:\\");
    model.ButtonClick(kBackTag);
    model.EditionClicked(0);  // the edition already ticked
    model.ButtonClick(kNextTag);
    EXPECT_EQ("D:\\tidyKiosk\\Filter Server\\", Text(kFolderEdit));
    model.ButtonClick(kBackTag);
    model.EditionClicked(1);
    model.ButtonClick(kNextTag);
    EXPECT_EQ("C:\\Program Files\\tidyKiosk\\Filter Client\\", Text(kFolderEdit));
}

TEST_F(WizardModelTest, InstallPageAnnouncesTheAppAndCompletionTurnsToTheLastPage) {
    WalkTo(4, 1);
    ASSERT_EQ(WizardAction::RunInstall, model.ButtonClick(kNextTag));
    EXPECT_EQ("tidyKiosk Filter Client v3.3.33 en is installing. Please wait...",
              Text(LabelId(22)));
    EXPECT_EQ(WizardAction::None, model.ButtonClick(kNextTag));  // cannot start it twice
    EXPECT_EQ(WizardAction::None, model.ButtonClick(kBackTag));
    EXPECT_EQ(5, state.pageIndex);

    model.Complete("done text", "Run it");
    EXPECT_EQ(6, model.ActivePage());
    EXPECT_EQ(5, state.pageIndex);
    EXPECT_TRUE(model.Control(TabSheetId(6)).visible);
    EXPECT_FALSE(model.Control(TabSheetId(5)).visible);
    EXPECT_EQ("done text", Text(LabelId(24)));
    EXPECT_EQ("Run it", Text(kRunCheckBox));
    EXPECT_FALSE(Back().enabled);
    EXPECT_FALSE(model.Control(kCancelButton).enabled);
    EXPECT_TRUE(Next().enabled);
    EXPECT_EQ("&Finish", Next().text);
    EXPECT_EQ(WizardAction::Finish, model.ButtonClick(kNextTag));
}

TEST_F(WizardModelTest, FinishStartsTheInstalledProgramWhenTicked) {
    WalkTo(5);
    state.installFolder = "C:\\X\\";  // as the install sequence leaves it
    model.Complete("", "");
    model.Finish();
    ASSERT_EQ(1u, shell.launches.size());
    EXPECT_EQ("", shell.launches[0].verb);
    EXPECT_EQ("C:\\X\\fltsrv.exe", shell.launches[0].file);
    EXPECT_EQ("", shell.launches[0].parameters);
    EXPECT_EQ("", shell.launches[0].directory);
    EXPECT_EQ(platform::kShowNormal, shell.launches[0].showCommand);
}

TEST_F(WizardModelTest, FinishRetriesWithRunasOnlyWhenAccessIsDenied) {
    WalkTo(5, 1);
    state.installFolder = "C:\\Cafe\\";
    model.Complete("", "");
    shell.results = {5, 42};
    model.Finish();
    ASSERT_EQ(2u, shell.launches.size());
    EXPECT_EQ("runas", shell.launches[1].verb);
    EXPECT_EQ("C:\\Cafe\\fltcln.exe", shell.launches[1].file);

    shell.launches.clear();
    shell.results = {2};  // file not found: no second try
    model.Finish();
    EXPECT_EQ(1u, shell.launches.size());
}

TEST_F(WizardModelTest, FinishStartsNothingWhenUntickedOrBeforeTheLastPage) {
    WalkTo(5);
    model.Finish();  // a silent run, or one stopped: "Run ..." was never shown
    EXPECT_TRUE(shell.launches.empty());

    model.Complete("", "");
    model.RunClicked(false);
    model.Finish();
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(WizardModelTest, ARestartPendingStartsTheRunBoxUnticked) {
    WalkTo(5);
    model.Complete("", "", true);
    EXPECT_FALSE(model.Control(kRunCheckBox).checked);
    model.Finish();
    EXPECT_TRUE(shell.launches.empty()) << "the old program is not started";
    model.RunClicked(true);
    model.Finish();
    EXPECT_EQ(1u, shell.launches.size()) << "the person may still tick it";
}

TEST_F(WizardModelTest, QuitQuestionNamesTheCurrentApp) {
    EXPECT_EQ("Are you sure you want to quit tidyKiosk Filter v3 Setup?", model.QuitQuestion());
    WalkTo(2);
    model.EditionClicked(1);
    EXPECT_EQ("Are you sure you want to quit tidyKiosk Filter Client v3.3.33 en Setup?",
              model.QuitQuestion());
}

TEST(WizardLayoutTest, LogoSitsAboveTheBannerBottomCentred) {
    const ControlDef* banner = FindControl(kBannerPicture);
    ASSERT_NE(nullptr, banner);
    const Point logo = LogoPosition(*banner, 110, 132);
    EXPECT_EQ(27, logo.left);
    EXPECT_EQ(315 - 132 - 20, logo.top);
}

TEST(WizardLayoutTest, ControlsHaveUniqueIdsAndKnownParents) {
    std::set<int> seen;
    for (const ControlDef& control : WindowDefinition()) {
        EXPECT_TRUE(control.parent == 0 || seen.count(control.parent)) << control.name;
        EXPECT_TRUE(seen.insert(control.id).second) << control.name;
        EXPECT_FALSE(control.name.empty());
    }
}

}  // namespace
}  // namespace tk::app

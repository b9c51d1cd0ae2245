#include "app/wizard_layout.h"

#include <array>

namespace tk::app {
namespace {

using K = ControlKind;

// The tab sheets fill the page control but for the border it keeps out of sight, so they
// cover the window from its top-left corner.
constexpr int kSheetLeft = 3;
constexpr int kSheetTop = 5;
constexpr int kSheetWidth = 504;
constexpr int kSheetHeight = 340;

constexpr int Sheet(int page) {
    return TabSheetId(page);
}

// Header band of pages 1 to 6: a bold title and a subtitle on white.
constexpr ControlDef Title(std::string_view name, int label, int page, std::string_view text) {
    return {name, LabelId(label), Sheet(page), K::Label, 16, 10, 470, 14, text, kBold | kOnWhite};
}
constexpr ControlDef Subtitle(std::string_view name, int label, int page, std::string_view text) {
    return {name, LabelId(label), Sheet(page), K::Label, 32, 28, 454, 14, text, kOnWhite};
}

constexpr std::array kDefinition = {
    ControlDef{"PageControl1", kPages, 0, K::PageControl, -3, -5, 508, 345, "", 0},
    ControlDef{"TabSheet1", Sheet(0), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kWhitePage},
    ControlDef{"Image1", kBannerPicture, Sheet(0), K::Picture, 0, 0, 165, 315, "", 0},
    ControlDef{"Image2", kLogoPicture, Sheet(0), K::Picture, 27, 163, 110, 132, "", 0},
    ControlDef{"Label1", LabelId(1), Sheet(0), K::Label, 180, 16, 308, 42,
               "Welcome to %APP_NAME% Setup Wizard", kLargeBold | kOnWhite},
    ControlDef{"Label2", LabelId(2), Sheet(0), K::Label, 180, 72, 308, 160,
               "This wizard will guide you through the installation of %APP_NAME%.\r\n\r\n"
               "It is recommended that you close all other applications before starting Setup. "
               "This will make it possible to update relevant system files without having to "
               "reboot your computer.\r\n\r\n"
               "Click Next to continue.",
               kOnWhite},

    ControlDef{"TabSheet2", Sheet(1), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kHeaderBand | kHidden},
    Title("Label3", 3, 1, "License Agreement"),
    Subtitle("Label4", 4, 1, "Please accept the agreement to continue"),
    ControlDef{"Label5", LabelId(5), Sheet(1), K::Label, 24, 70, 456, 14,
               "License Agreement && Terms and Conditions", 0},
    ControlDef{"Memo1", kAgreementText, Sheet(1), K::Memo, 24, 88, 456, 196, "", 0},
    ControlDef{"CheckBox1", kAgreeCheckBox, Sheet(1), K::CheckBox, 24, 294, 456, 17,
               "I accept the agreement", 0},

    ControlDef{"TabSheet3", Sheet(2), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kHeaderBand | kHidden},
    Title("Label6", 6, 2, "Select the Application"),
    Subtitle("Label7", 7, 2, "Please select the application below"),
    ControlDef{"Label8", LabelId(8), Sheet(2), K::Label, 24, 72, 456, 14,
               "Please select the application below and click Next to continue", 0},
    ControlDef{"RadioButton1", kServerChoice, Sheet(2), K::RadioButton, 40, 104, 440, 17,
               "tidyKiosk Filter Server", kFirstInGroup},
    ControlDef{"Label9", LabelId(9), Sheet(2), K::Label, 58, 124, 422, 14,
               "This will be installed in the Server (Cashier) computer", 0},
    ControlDef{"RadioButton2", kClientChoice, Sheet(2), K::RadioButton, 40, 156, 440, 17,
               "tidyKiosk Filter Client", 0},
    ControlDef{"Label11", LabelId(11), Sheet(2), K::Label, 58, 176, 422, 14,
               "This will be installed in Client computer", 0},

    ControlDef{"TabSheet4", Sheet(3), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kHeaderBand | kHidden},
    Title("Label13", 13, 3, "Choose Destination Location"),
    Subtitle("Label12", 12, 3, "%APP_NAME% will be installed in the following folder"),
    ControlDef{"Label14", LabelId(14), Sheet(3), K::Label, 24, 72, 456, 42,
               "To install into a different folder, click Browse, and select another folder."
               "\r\n\r\nClick Next to continue.",
               0},
    ControlDef{"Label19", LabelId(19), Sheet(3), K::Label, 24, 138, 456, 14,
               "Destination folder:", 0},
    ControlDef{"Edit1", kFolderEdit, Sheet(3), K::Edit, 24, 156, 370, 21, "", 0},
    ControlDef{"Button4", kBrowseButton, Sheet(3), K::Button, 405, 155, 75, 23, "Browse...", 0},

    ControlDef{"TabSheet5", Sheet(4), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kHeaderBand | kHidden},
    Title("Label20", 20, 4, "Summary"),
    Subtitle("Label15", 15, 4, "Ready to install %APP_NAME%"),
    ControlDef{"Label10", LabelId(10), Sheet(4), K::Label, 24, 72, 456, 56,
               "You are now ready to install %APP_NAME%\r\n\r\n"
               "Click the Next button to begin the installation or the Back button to reenter "
               "the installation information.",
               0},
    ControlDef{"Label25", LabelId(25), Sheet(4), K::Label, 24, 142, 140, 14,
               "Selected application:", kBold},
    ControlDef{"Label16", LabelId(16), Sheet(4), K::Label, 170, 142, 310, 14, "", kNoPrefix},
    ControlDef{"Label26", LabelId(26), Sheet(4), K::Label, 24, 164, 140, 14, "Location:", kBold},
    ControlDef{"Label18", LabelId(18), Sheet(4), K::Label, 170, 164, 310, 42, "", kNoPrefix},
    ControlDef{"Label27", LabelId(27), Sheet(4), K::Label, 24, 220, 456, 14,
               "Click Next to continue.", 0},

    ControlDef{"TabSheet6", Sheet(5), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kHeaderBand | kHidden},
    Title("Label28", 28, 5, "Installing..."),
    ControlDef{"Label22", LabelId(22), Sheet(5), K::Label, 32, 28, 454, 14, "%APP_NAME%",
               kOnWhite | kNoPrefix},
    ControlDef{"Label29", LabelId(29), Sheet(5), K::Label, 24, 72, 456, 14, "Installation started.",
               0},
    ControlDef{"Label23", LabelId(23), Sheet(5), K::Label, 24, 100, 456, 14,
               "Kurulum i\xE7in haz\xFDrlan\xFDyor...", kNoPrefix},
    ControlDef{"Edit2", kCurrentFileLine, Sheet(5), K::Edit, 24, 120, 456, 21, "...", 0},
    ControlDef{"JvXPProgressBar1", kProgressBar, Sheet(5), K::ProgressBar, 24, 152, 456, 18, "", 0},

    ControlDef{"TabSheet7", Sheet(6), kPages, K::TabSheet, kSheetLeft, kSheetTop, kSheetWidth,
               kSheetHeight, "", kHeaderBand | kHidden},
    Title("Label30", 30, 6, "Installation Complete"),
    ControlDef{"Label24", LabelId(24), Sheet(6), K::Label, 24, 72, 456, 42,
               "%app% is successfully installed. Please click Finish to quit.", kNoPrefix},
    ControlDef{"CheckBox2", kRunCheckBox, Sheet(6), K::CheckBox, 24, 124, 456, 17, "Run %app%",
               kChecked},

    ControlDef{"Panel1", kVersionPanel, 0, K::Panel, 8, kButtonTop, 185, 25, "", kBold},
    ControlDef{"Button3", kBackButton, 0, K::Button, 250, kButtonTop, 75, 25, "< Back", kHidden},
    ControlDef{"Button2", kNextButton, 0, K::Button, 328, kButtonTop, 75, 25, "&Next >",
               kDefaultButton},
    ControlDef{"Button1", kCancelButton, 0, K::Button, 416, kButtonTop, 75, 25, "Cancel", 0},
};

}  // namespace

std::span<const ControlDef> WindowDefinition() {
    return kDefinition;
}

std::size_t ControlIndex(int id) {
    std::size_t index = 0;
    while (index < std::size(kDefinition) && kDefinition[index].id != id) {
        ++index;
    }
    return index;
}

const ControlDef* FindControl(int id) {
    const std::size_t index = ControlIndex(id);
    return index < std::size(kDefinition) ? &kDefinition[index] : nullptr;
}

Point LogoPosition(const ControlDef& banner, int logoWidth, int logoHeight) {
    return {banner.width / 2 - logoWidth / 2, banner.top + banner.height - logoHeight - 20};
}

}  // namespace tk::app

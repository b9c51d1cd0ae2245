#pragma once
// The installer window's definition: every control with its page, position, size and text.
// Plain data with no Win32 types; the window builds itself from this table.
#include <cstdint>
#include <span>
#include <string_view>

namespace tk::app {

// Control identifiers, named by role; test tools find the controls by them. The controls'
// own names (the definition's first column) follow each one.
enum ControlId : int {
    kPages = 100,            // PageControl1
    kFirstSheet = 101,       // TabSheet1; TabSheet1 to TabSheet7 are 101 to 107
    kCancelButton = 111,     // Button1
    kNextButton = 112,       // Button2: Next, Install, Finish
    kBackButton = 113,       // Button3
    kBrowseButton = 114,     // Button4
    kVersionPanel = 120,     // Panel1
    kBannerPicture = 121,    // Image1
    kLogoPicture = 122,      // Image2
    kAgreementText = 130,    // Memo1
    kFolderEdit = 131,       // Edit1: the install folder
    kCurrentFileLine = 132,  // Edit2: the file being written
    kAgreeCheckBox = 133,    // CheckBox1
    kRunCheckBox = 134,      // CheckBox2: run the application after Finish
    kServerChoice = 135,     // RadioButton1
    kClientChoice = 136,     // RadioButton2
    kProgressBar = 137,      // JvXPProgressBar1
    kLabelBase = 200,        // LabelN is kLabelBase + N
};

constexpr int TabSheetId(int pageIndex) {
    return kFirstSheet + pageIndex;
}
constexpr int LabelId(int number) {
    return kLabelBase + number;
}
// The labels the wizard changes while it runs.
inline constexpr int kInstallingTitle = LabelId(22);  // "... is installing"
inline constexpr int kStatusLine = LabelId(23);       // the install's current stage
inline constexpr int kCompletionText = LabelId(24);
inline constexpr int kSummaryApp = LabelId(16);     // the ready page: what is installed
inline constexpr int kSummaryFolder = LabelId(18);  // and where

inline constexpr int kPageCount = 7;

enum class ControlKind : std::uint8_t {
    PageControl,
    TabSheet,
    Panel,
    Label,
    Button,
    CheckBox,
    RadioButton,
    Edit,  // one line, read-only
    Memo,  // several lines, read-only, vertical scroll bar
    Picture,
    ProgressBar,
};

// Control flags.
enum : std::uint32_t {
    kBold = 1u << 0,
    kLargeBold = 1u << 1,      // welcome title
    kOnWhite = 1u << 2,        // drawn on a white background
    kNoPrefix = 1u << 3,       // shows "&" as it is (texts set at run time)
    kFirstInGroup = 1u << 4,   // starts a group of radio buttons
    kDefaultButton = 1u << 5,  // pressed by Enter
    kHidden = 1u << 6,
    kChecked = 1u << 7,
    kWhitePage = 1u << 8,   // tab sheet with a white background
    kHeaderBand = 1u << 9,  // tab sheet with the white header band
};

struct ControlDef {
    std::string_view name;
    int id;
    int parent;  // 0: the window itself
    ControlKind kind;
    std::int16_t left;  // pixels of the client area
    std::int16_t top;
    std::int16_t width;
    std::int16_t height;
    std::string_view text;  // code page 1254
    std::uint32_t flags;
};

// Window geometry.
inline constexpr int kClientWidth = 504;
inline constexpr int kClientHeight = 363;
inline constexpr int kHeaderBandHeight = 56;
inline constexpr int kButtonTop = 328;
inline constexpr int kFontPoints = 8;
inline constexpr int kTitleFontPoints = 12;
inline constexpr std::string_view kFontFace = "Tahoma";

// Resource identifiers of the two pictures (palette PNG) and the agreement shown in Memo1.
inline constexpr int kBannerResource = 201;
inline constexpr int kLogoResource = 202;
inline constexpr int kAgreementResource = 203;

// Every control, parents before their children, in the order Tab visits them.
std::span<const ControlDef> WindowDefinition();

// The definition of a control; nullptr for an unknown id.
const ControlDef* FindControl(int id);
// The control's place in WindowDefinition(); the definition's size for an unknown id.
std::size_t ControlIndex(int id);

struct Point {
    int left;
    int top;
};

// Where the logo sits over the banner: 20 pixels above the banner's bottom, centred on its
// width.
Point LogoPosition(const ControlDef& banner, int logoWidth, int logoHeight);

}  // namespace tk::app

#pragma once
// The installer window's definition: every control with its page, position, size and text.
// Plain data with no Win32 types; the window builds itself from this table.
#include <cstdint>
#include <span>
#include <string_view>

namespace tk::app {

// Control identifiers; test tools find the controls by them.
enum ControlId : int {
    kPageControl1 = 100,
    kTabSheet1 = 101,  // TabSheet1 to TabSheet7: 101 to 107
    kButton1 = 111,    // Cancel
    kButton2 = 112,    // Next, Install, Finish
    kButton3 = 113,    // Back
    kButton4 = 114,    // Browse...
    kPanel1 = 120,     // version panel
    kImage1 = 121,     // banner picture
    kImage2 = 122,     // logo picture
    kMemo1 = 130,
    kEdit1 = 131,
    kEdit2 = 132,
    kCheckBox1 = 133,
    kCheckBox2 = 134,
    kRadioButton1 = 135,
    kRadioButton2 = 136,
    kJvXPProgressBar1 = 137,
    kLabelBase = 200,  // LabelN is kLabelBase + N
};

constexpr int TabSheetId(int pageIndex) {
    return kTabSheet1 + pageIndex;
}
constexpr int LabelId(int number) {
    return kLabelBase + number;
}

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
    int left;
    int top;
    int width;
    int height;
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

struct Point {
    int left;
    int top;
};

// Where the logo sits over the banner: 20 pixels above the banner's bottom, centred on its
// width.
Point LogoPosition(const ControlDef& banner, int logoWidth, int logoHeight);

}  // namespace tk::app

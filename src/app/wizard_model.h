#pragma once
// The wizard's behaviour without any window: which page shows, the state and text of every
// control, the folder rules and the Finish action. The installer window applies this state
// to its controls and forwards their clicks here.
#include <string>
#include <string_view>
#include <vector>

#include "app/wizard_layout.h"
#include "app/wizard_state.h"
#include "install/install_request.h"
#include "platform/shell.h"

namespace tk::app {

namespace texts {
inline constexpr std::string_view kQuitQuestion = "Are you sure you want to quit %app% Setup?";
inline constexpr std::string_view kNextCaption = "&Next >";
inline constexpr std::string_view kInstallCaption = "&Install";
inline constexpr std::string_view kFinishCaption = "&Finish";
inline constexpr std::string_view kVersionPanel = "Version v3";
inline constexpr std::string_view kCaptionSuffix = " Installation";
inline constexpr std::string_view kInstalling = " is installing. Please wait...";
}  // namespace texts

// Tags of the two buttons that share one click handler.
enum ButtonTag : int { kNextTag = 0, kBackTag = 1 };

struct ControlState {
    std::string text;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
};

// What the window has to do after a click.
enum class WizardAction { None, RunInstall, Finish };

// "text" with the first "from" replaced by "to"; unchanged when "from" is not in it.
std::string ReplaceFirst(std::string text, std::string_view from, std::string_view to);
// "text" with every "from" replaced by "to".
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

class WizardModel {
public:
    WizardModel(WizardState& state, platform::Shell& shell);

    // Window creation: the app name, the caption, page 0 and the version panel.
    void Start();
    // Fills "%APP_NAME%" in the labels that carry it.
    void FillPlaceholders();

    // Next (tag 0) and Back (tag 1).
    WizardAction ButtonClick(int tag);
    void AcceptClicked(bool checked);      // CheckBox1
    void EditionClicked(int tag);          // RadioButton1 (tag 0) and RadioButton2 (tag 1)
    void RunClicked(bool checked);         // CheckBox2
    void BrowseChose(std::string folder);  // a folder picked in the folder dialog
    // The last page. "Run ..." starts unticked where the installed program may not work or
    // is still the old one until a restart.
    void Complete(const std::string& completedText, const std::string& runCaption,
                  bool runUnticked = false);
    // What Install asks for: the chosen edition and the confirmed folder.
    install::InstallRequest Request() const { return {state_.edition, state_.installFolder}; }
    // The folder the install settled on (with its final backslash), which Finish starts from.
    void Installed(std::string installFolder) { state_.installFolder = std::move(installFolder); }
    // Starts the installed application when the last page asks for it ("Run ..." ticked);
    // a run that never showed that page (silent, or stopped) starts nothing.
    void Finish();

    std::string QuitQuestion() const;
    const std::string& Caption() const { return caption_; }
    int ActivePage() const { return activePage_; }
    // The install ran to its end and its last page is shown.
    bool OnLastPage() const;
    const ControlState& Control(int id) const;
    void SetText(int id, const std::string& text);

private:
    ControlState& At(int id);
    std::string DefaultFolder() const;
    std::string EditionFolder(std::string base) const;
    void EnterPage(int page);
    void ShowPage(int page);

    WizardState& state_;
    platform::Shell& shell_;
    std::vector<ControlState> controls_;  // in the order of WindowDefinition()
    std::string caption_;
    int activePage_ = 0;
};

}  // namespace tk::app

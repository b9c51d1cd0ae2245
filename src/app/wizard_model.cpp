#include "app/wizard_model.h"

#include <array>
#include <cstdlib>

#include "install/catalogue.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace tk::app {
namespace {

constexpr std::string_view kAppNamePlaceholder = "%APP_NAME%";
constexpr std::string_view kAppPlaceholder = "%app%";
constexpr int kCompletionPage = 6;
constexpr int kInstallPage = 5;

struct Placeholder {
    int label;
    std::string_view replacement;
};
constexpr std::array kPlaceholders = {
    Placeholder{LabelId(1), "tidyKiosk Firewall"},  Placeholder{LabelId(2), "tidyKiosk Firewall"},
    Placeholder{LabelId(15), "tidyKiosk Firewall"}, Placeholder{LabelId(10), "tidyKiosk Firewall"},
    Placeholder{LabelId(22), "tidyKiosk"},          Placeholder{LabelId(12), "tidyKiosk"},
};

// Product name, " v" and the version string.
std::string RadioCaption(install::EditionCode code) {
    const install::Edition& edition = install::EditionOf(code);
    return Joined({edition.productName, " v", edition.version});
}

}  // namespace

std::string ReplaceFirst(std::string text, std::string_view from, std::string_view to) {
    const auto at = text.find(from);
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

WizardModel::WizardModel(WizardState& state, platform::Shell& shell)
    : state_(state), shell_(shell) {
    for (const ControlDef& control : WindowDefinition()) {
        controls_.push_back(ControlState{std::string(control.text), (control.flags & kHidden) == 0,
                                         true, (control.flags & kChecked) != 0});
    }
}

ControlState& WizardModel::At(int id) {
    const std::size_t index = ControlIndex(id);
    if (index >= controls_.size()) {
        std::abort();  // an unknown id is a programming error: the program ends as failed
    }
    return controls_[index];
}

const ControlState& WizardModel::Control(int id) const {
    return const_cast<WizardModel*>(this)->At(id);
}

void WizardModel::SetText(int id, const std::string& text) {
    At(id).text = text;
}

void WizardModel::Start() {
    state_.appName = std::string(install::kGenericAppName);
    caption_ = state_.appName + std::string(texts::kCaptionSuffix);
    state_.pageIndex = 0;
    ShowPage(0);
    At(kVersionPanel).text = std::string(texts::kVersionPanel);
}

void WizardModel::FillPlaceholders() {
    for (const Placeholder& placeholder : kPlaceholders) {
        ControlState& label = At(placeholder.label);
        label.text = ReplaceFirst(label.text, kAppNamePlaceholder, placeholder.replacement);
    }
}

void WizardModel::ShowPage(int page) {
    activePage_ = page;
    for (int sheet = 0; sheet < kPageCount; ++sheet) {
        At(TabSheetId(sheet)).visible = sheet == page;
    }
}

WizardAction WizardModel::ButtonClick(int tag) {
    const ControlState& button = Control(tag == kNextTag ? kNextButton : kBackButton);
    if (!button.visible || !button.enabled) {
        return WizardAction::None;  // Enter or a stray click on a button that is off
    }
    if (activePage_ == kCompletionPage) {
        return WizardAction::Finish;
    }
    const int page = state_.pageIndex + (tag == kNextTag ? 1 : -1);
    if (page < 0 || page > kInstallPage) {
        return WizardAction::None;  // no such page: everything stays as it is
    }
    ControlState& next = At(kNextButton);
    next.enabled = true;
    next.text = std::string(texts::kNextCaption);
    state_.pageIndex = page;
    ShowPage(page);
    EnterPage(page);
    return page == kInstallPage ? WizardAction::RunInstall : WizardAction::None;
}

void WizardModel::EnterPage(int page) {
    ControlState& next = At(kNextButton);
    ControlState& back = At(kBackButton);
    back.visible = page != 0;
    switch (page) {
        case 1:
            next.enabled = false;
            At(kAgreeCheckBox).checked = false;  // the agreement is accepted again on every visit
            break;
        case 2: {
            ControlState& server = At(kServerChoice);
            ControlState& client = At(kClientChoice);
            server.text = RadioCaption(install::kServerEdition);
            client.text = RadioCaption(install::kClientEdition);
            next.enabled = server.checked || client.checked;
            break;
        }
        case 3:
            if (state_.installFolder.empty()) {
                state_.installFolder = DefaultFolder();
            }
            At(kFolderEdit).text = state_.installFolder;
            break;
        case 4:
            state_.installFolder = At(kFolderEdit).text;
            At(kSummaryApp).text = state_.appName;
            At(kSummaryFolder).text = state_.installFolder;
            next.text = std::string(texts::kInstallCaption);
            break;
        case kInstallPage:
            next.text = std::string(texts::kInstallCaption);
            next.enabled = false;
            back.enabled = false;
            At(kInstallingTitle).text = state_.appName + std::string(texts::kInstalling);
            break;
        default:
            break;
    }
}

void WizardModel::AcceptClicked(bool checked) {
    At(kAgreeCheckBox).checked = checked;
    At(kNextButton).enabled = checked;
}

void WizardModel::EditionClicked(int tag) {
    const auto edition = static_cast<install::EditionCode>(tag);
    const int clicked = edition == install::kServerEdition ? kServerChoice : kClientChoice;
    if (At(clicked).checked) {
        return;  // the edition stays, and so does a folder chosen with Browse
    }
    At(kServerChoice).checked = edition == install::kServerEdition;
    At(kClientChoice).checked = edition == install::kClientEdition;
    state_.installFolder.clear();  // the folder page offers the new edition's default
    At(kNextButton).enabled = true;
    state_.edition = edition;
    state_.appName = install::AppNameOf(edition);
}

void WizardModel::RunClicked(bool checked) {
    At(kRunCheckBox).checked = checked;
}

std::string WizardModel::EditionFolder(std::string base) const {
    const install::Edition& edition = install::EditionOf(state_.edition);
    return Joined({base, "tidyKiosk\\", edition.folderName, "\\"});
}

std::string WizardModel::DefaultFolder() const {
    std::string programFiles = shell_.SpecialFolderPath(platform::kCsidlProgramFiles).value_or("");
    if (programFiles.empty() || programFiles.back() != '\\') {
        programFiles += '\\';
    }
    return EditionFolder(programFiles);
}

void WizardModel::BrowseChose(std::string folder) {
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    const std::string chosen = EditionFolder(folder + "\\");
    At(kFolderEdit).text = chosen;
    // Kept as the install folder too, so that Back and Next do not lose the choice.
    state_.installFolder = chosen;
}

void WizardModel::Complete(const std::string& completedText, const std::string& runCaption,
                           bool runUnticked) {
    At(kCompletionText).text = completedText;
    At(kRunCheckBox).text = runCaption;
    if (runUnticked) {
        At(kRunCheckBox).checked = false;
    }
    At(kBackButton).enabled = false;
    At(kCancelButton).enabled = false;
    ControlState& next = At(kNextButton);
    next.text = std::string(texts::kFinishCaption);
    next.enabled = true;
    ShowPage(kCompletionPage);  // the page index stays on the progress page
}

void WizardModel::Finish() {
    if (!OnLastPage() || !Control(kRunCheckBox).checked) {
        return;
    }
    const std::string program =
        state_.installFolder + std::string(install::EditionOf(state_.edition).mainExecutable);
    if (shell_.Execute("", program, "", "", platform::kShowNormal) == platform::kAccessDenied) {
        shell_.Execute("runas", program, "", "", platform::kShowNormal);
    }
}

bool WizardModel::OnLastPage() const {
    return activePage_ == kCompletionPage;
}

std::string WizardModel::QuitQuestion() const {
    return ReplaceAll(std::string(texts::kQuitQuestion), kAppPlaceholder, state_.appName);
}

}  // namespace tk::app

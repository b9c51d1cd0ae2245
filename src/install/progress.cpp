#include "install/progress.h"

#include <algorithm>

#include "install/texts.h"

namespace tk::install {

void ProgressPage::Advance() {
    view_.ProcessMessages();
    view_.SetProgressPosition(std::min(view_.ProgressPosition() + 1, view_.ProgressMax()));
}

void ProgressPage::ShowStatus(std::string_view text) {
    view_.ProcessMessages();
    view_.SetStatusText(std::string(text));
}

void ProgressPage::CurrentFile(const std::string& name) {
    view_.SetCurrentFileText(name);
    view_.ProcessMessages();
}

void ProgressPage::Reached(InstallStage stage) {
    switch (stage) {
        case InstallStage::PreparingFolders:
            view_.SetProgressMax(kMaximum);
            view_.SetProgressPosition(0);
            Advance();
            ShowStatus(texts::kPreparingFolders);
            return;
        case InstallStage::CopyingFiles:
            Advance();
            ShowStatus(texts::kCopyingFiles);
            return;
        case InstallStage::StartingProvider:
            view_.SetCurrentFileText(std::string(texts::kPleaseWait));
            ShowStatus(texts::kCreatingRegistryKeys);
            Advance();
            return;
        case InstallStage::MakingShortcuts:
            // The registry keys' status stays for two more steps of the bar.
            Advance();
            ShowStatus(texts::kCreatingRegistryKeys);
            Advance();
            ShowStatus(texts::kCreatingRegistryKeys);
            Advance();
            ShowStatus(texts::kCreatingShortcuts);
            return;
        case InstallStage::LanguageFiles:
        case InstallStage::WritingRegistry:
        case InstallStage::Finished:
            Advance();
            return;
    }
}

}  // namespace tk::install

#pragma once
// What an install tells of its progress, and the progress page of the wizard that shows it.
#include <string>

#include "platform/progress_view.h"

namespace tk::install {

// The points an install passes, in order.
enum class InstallStage {
    PreparingFolders,  // the run begins: folders, the damage check, folder rights
    CopyingFiles,      // the payload catalogue, one entry after another
    LanguageFiles,     // the catalogue is done; the client's language files follow
    StartingProvider,  // the filter provider's helper
    MakingShortcuts,
    WritingRegistry,
    Finished,
};

// Told by the install as it runs. The wizard's progress page and the silent run each take
// it their way: one shows it, the other only keeps its window answering.
class ProgressReporter {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~ProgressReporter() = default;

public:
    // Lets the window handle pending messages, so that it stays responsive.
    virtual void KeepResponsive() = 0;
    virtual void Reached(InstallStage stage) = 0;
    // One entry of the payload catalogue or of the client's language list was reached.
    virtual void EntryReached() = 0;
    // The file being written now; empty when there is none.
    virtual void CurrentFile(const std::string& name) = 0;
};

// The wizard's progress page: a bar of 24 steps (two more for the client's language files,
// clamped), the status line and the current file line.
class ProgressPage final : public ProgressReporter {
public:
    explicit ProgressPage(platform::ProgressView& view) : view_(view) {}

    void KeepResponsive() override { view_.ProcessMessages(); }
    void Reached(InstallStage stage) override;
    void EntryReached() override { Advance(); }
    void CurrentFile(const std::string& name) override;

    static constexpr int kMaximum = 24;

private:
    void Advance();
    void ShowStatus(std::string_view text);

    platform::ProgressView& view_;
};

}  // namespace tk::install

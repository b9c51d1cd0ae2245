#include "app/install_run.h"

#include <algorithm>

#include "app/run_texts.h"
#include "install/install_error.h"
#include "install/texts.h"
#include "platform/paths.h"

namespace tk::app {
namespace {

using install::FileNote;
using install::FileShortfall;
using install::InstallOutcome;
using install::InstallReport;
using install::InstallStep;

std::string_view StepText(InstallStep step) {
    switch (step) {
        case InstallStep::FolderAccess:
            return texts::kStepFolderAccess;
        case InstallStep::Provider:
            return texts::kStepProvider;
        case InstallStep::Shortcuts:
            return texts::kStepShortcuts;
        case InstallStep::Registry:
            return texts::kStepRegistry;
        case InstallStep::CompatibilityLayer:
            return texts::kStepCompatibilityLayer;
        case InstallStep::ReportedError:
            break;
    }
    return texts::kStepReportedError;
}

// "a, b, c and 2 more", or all of them ("a, b and c") when there are no more than `named`.
std::string NameList(const std::vector<std::string>& names, std::size_t named) {
    std::string list;
    const std::size_t shown = names.size() > named ? named : names.size();
    for (std::size_t i = 0; i < shown; ++i) {
        list += (i == 0 ? "" : i + 1 == shown && shown == names.size() ? " and " : ", ") + names[i];
    }
    if (names.size() > shown) {
        list += " and " + PaddedNumber(names.size() - shown, 1) + " more";
    }
    return list;
}

// The usual text, or that the install is incomplete with the files that were not written
// (a few by name) and the steps not done; then, with a restart pending, that the computer
// must be restarted.
std::string CompletionText(const std::string& appName, const InstallReport& report,
                           const std::vector<std::string>& stepsNotDone) {
    std::vector<std::string> missing;
    for (const FileNote& note : report.files) {
        if (!note.scheduled) {
            missing.push_back(FileNameOf(note.path));
        }
    }
    const std::string_view restart =
        install::RestartPending(report) ? texts::kRestartToFinish : std::string_view();
    if (missing.empty() && stepsNotDone.empty()) {
        return Joined({appName, texts::kSuccessfullyInstalled, restart});
    }
    const bool both = !missing.empty() && !stepsNotDone.empty();
    return Joined({texts::kIncompleteBefore, appName, texts::kIncompleteMiddle,
                   missing.empty() ? "" : NameList(missing, 3),
                   missing.empty() ? "" : texts::kFilesNotWritten, both ? "; " : "",
                   stepsNotDone.empty() ? "" : NameList(stepsNotDone, 4),
                   stepsNotDone.empty() ? "" : texts::kStepsNotDone, texts::kIncompleteAfter,
                   restart});
}

// Whether the installed program may not work, or is still the old one: a file not written
// or waiting for the restart, or the folder rights or the filter provider not done.
bool RunMayFail(const InstallReport& report) {
    const auto stepLeft = [&](InstallStep step) {
        return std::find(report.incompleteSteps.begin(), report.incompleteSteps.end(), step) !=
               report.incompleteSteps.end();
    };
    return !report.files.empty() || stepLeft(InstallStep::FolderAccess) ||
           stepLeft(InstallStep::Provider);
}

// Why a file was not written, and the system's error number when it is another error.
std::string_view ReasonOf(const FileNote& note) {
    namespace words = install::texts;
    switch (note.why) {
        case FileShortfall::InUse:
            return words::kInUse;
        case FileShortfall::ReadOnly:
            return texts::kReadOnly;
        case FileShortfall::DiskFull:
            return words::kDiskFull;
        case FileShortfall::AccessDenied:
            return words::kAccessDenied;
        case FileShortfall::OtherError:
            return words::kOtherError;
        case FileShortfall::NotInProgram:
            return texts::kNotInProgram;
        case FileShortfall::Damaged:
            return texts::kDamaged;
        case FileShortfall::StaleCopy:
            return texts::kStaleCopy;
        case FileShortfall::NoRestartHere:
            return texts::kNoRestartHere;
        case FileShortfall::Unexpected:
            break;
    }
    return texts::kUnexpected;
}

}  // namespace

std::optional<std::string> InstallRun::Install(const install::InstallRequest& request,
                                               const install::InstallPlatform& platform,
                                               install::ProgressReporter& progress,
                                               install::ProviderPort& provider) {
    request_ = request;
    install::InstallSequence sequence(request, platform, progress, provider);
    std::optional<std::string> stop;
    try {
        result_ = sequence.Run();
        end_ = End::Ran;
        installedFolder_ = sequence.InstallFolder();
    } catch (const install::AnotherSetupRunError& error) {
        end_ = End::Waited;  // it did nothing at all
        stop = error.what();
    } catch (const std::exception& error) {
        // Whatever stopped the sequence, the install did not complete.
        end_ = End::Stopped;
        stop = error.what();
    }
    report_ = sequence.Report();
    for (std::string& line : UnfinishedLinesOf(report_)) {
        lines_.push_back(std::move(line));
    }
    if (stop) {
        lines_.push_back(*stop);  // last, as the reason the run ended
    }
    return stop;
}

void InstallRun::ReportedOutside(InstallStep step, const std::string& message) {
    lines_.push_back(message);
    if (std::find(outside_.begin(), outside_.end(), step) == outside_.end()) {
        outside_.push_back(step);
    }
}

LastPage LastPageOf(const std::string& appName, const InstallReport& report) {
    std::vector<std::string> stepsNotDone;
    for (const InstallStep step : report.incompleteSteps) {
        stepsNotDone.emplace_back(StepText(step));
    }
    return {CompletionText(appName, report, stepsNotDone), Joined({texts::kRunPrefix, appName}),
            RunMayFail(report)};
}

std::vector<std::string> UnfinishedLinesOf(const InstallReport& report) {
    std::vector<std::string> lines;
    for (const FileNote& note : report.files) {
        if (note.scheduled) {
            lines.push_back(Joined({note.path, texts::kScheduledLine}));
            continue;
        }
        lines.push_back(Joined(
            {note.path, texts::kNotInstalledLine, ReasonOf(note),
             note.why == FileShortfall::OtherError ? PaddedNumber(note.error, 1) : std::string()}));
    }
    for (const InstallStep step : report.incompleteSteps) {
        lines.push_back(Joined({StepText(step), texts::kStepIncompleteLine}));
    }
    return lines;
}

std::optional<LastPage> InstallRun::Page(const std::string& appName) const {
    if (end_ != End::Ran || result_ == InstallOutcome::NoInstallFolder) {
        return std::nullopt;
    }
    InstallReport shown = report_;
    shown.incompleteSteps.insert(shown.incompleteSteps.end(), outside_.begin(), outside_.end());
    return LastPageOf(appName, shown);
}

std::vector<std::string> InstallRun::UnfinishedLines() const {
    return UnfinishedLinesOf(report_);
}

ExitStatus InstallRun::Status() const {
    const bool silent = mode_ == RunMode::Silent;
    switch (end_) {
        case End::Stopped:
            return ExitStatus::StoppedByError;
        case End::Waited:
            return ExitStatus::AnotherSetupRun;
        case End::NotRun:
            return silent ? ExitStatus::StoppedByError : ExitStatus::WizardQuit;
        case End::Ran:
            break;
    }
    if (result_ == InstallOutcome::NoInstallFolder) {
        // The wizard stays where it was and can only be quit.
        return silent ? ExitStatus::NoInstallFolder : ExitStatus::WizardQuit;
    }
    if (result_ == InstallOutcome::Incomplete || !outside_.empty()) {
        return ExitStatus::InstalledIncomplete;  // wins over a pending restart
    }
    return result_ == InstallOutcome::RestartPending ? ExitStatus::RestartRequired
                                                     : ExitStatus::Installed;
}

RunEvent EventOf(RunMode mode, ExitStatus status, const std::string& edition,
                 const std::string& folder, const std::vector<std::string>& lines,
                 const std::string& lastPage) noexcept {
    const int value = static_cast<int>(status);
    const StatusWords words = WordsOf(status);
    RunEvent event{words.type, platform::EventIdOf(value), {}};
    try {
        std::string& text = event.text;
        text =
            Joined({edition, texts::kEventFolder, folder.empty() ? texts::kEventNoFolder : folder,
                    mode == RunMode::Silent ? texts::kEventSilent : texts::kEventWizard,
                    texts::kEventStatus, PaddedNumber(static_cast<unsigned long>(value), 1), " (",
                    words.meaning, ")"});
        for (const std::string& line : lines) {
            text += "\r\n";
            text += line;
        }
        if (!lastPage.empty()) {
            text += texts::kEventLastPage;
            text += lastPage;
        }
    } catch (...) {
        event.text.clear();  // the type and the id say the status all the same
    }
    return event;
}

ExitStatus ReportEnd(platform::EventLog& log, const RunEvent& event, ExitStatus status) noexcept {
    try {
        log.Report(event.type, event.id, event.text);
    } catch (...) {
    }
    return status;
}

RunEvent InstallRun::Event(const std::string& appName) const noexcept {
    try {
        const std::string edition = request_ ? install::AppNameOf(request_->edition)
                                             : std::string(install::kGenericAppName);
        const std::string folder = !installedFolder_.empty() ? installedFolder_
                                   : request_                ? request_->installFolder
                                                             : "";
        const auto page = mode_ == RunMode::Wizard ? Page(appName) : std::nullopt;
        return EventOf(mode_, Status(), edition, folder, lines_, page ? page->text : "");
    } catch (...) {
        return EventOf(mode_, Status(), {}, {}, {}, {});
    }
}

}  // namespace tk::app

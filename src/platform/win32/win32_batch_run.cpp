// A batch file run by the command interpreter inside a job of its own: the job ends with
// the setup program (its last handle closes when the program ends, killed or not), and its
// completion port tells which programs the batch started and when each ended.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/win32/error_mode.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_wait.h"

namespace tk::platform::win32 {
namespace {

// The exit status of the programs still running when the job is ended.
constexpr UINT kEndedStatus = 1;
// Once the job was told to end, how long its processes are given to be gone.
constexpr DWORD kEndingMilliseconds = 5000;
// How often the job is looked at: its port tells of each program that starts, which is
// opened at once to read its exit status later, and of each that ends.
constexpr DWORD kLookMilliseconds = 10;
constexpr ULONG_PTR kJobKey = 1;

// A process the batch started, opened as soon as the job reported it.
struct Program {
    DWORD id = 0;
    KernelHandle process;  // empty when it could not be opened
    bool ended = false;
};

// Looked at from the window's thread alone, in its own wait and, through a timer, from
// any other message loop that runs meanwhile (a question box): the job then still ends on
// time, and its programs are opened while they run. A second thread would do the same, but
// under the emulator that runs the tests a thread that has ended has been seen to take the
// whole program down later (in the shell-link calls).
class Win32BatchRun final : public BatchRun {
public:
    Win32BatchRun(KernelHandle job, KernelHandle port, DWORD interpreterId, BatchRunLimits limits)
        : job_(std::move(job)),
          port_(std::move(port)),
          interpreterId_(interpreterId),
          limits_(limits),
          start_(::GetTickCount()) {}

    BatchRunEnd Wait(FunctionRef<void()> keepResponsive) override {
        const TimerLooks timer(*this);
        Look();
        while (!over_) {
            WaitKeepingResponsive(nullptr, kLookMilliseconds, keepResponsive);
            Look();
        }
        const JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = Accounting();
        end_.complete = !lost_ && accounting.ActiveProcesses == 0 &&
                        accounting.TotalProcesses == 1 + programs_.size();
        return end_;
    }

private:
    // While it lives, a timer looks at the run from whatever message loop runs on this
    // thread. Nothing may leave its callback by an exception: the system's frames are
    // between it and any handler.
    class TimerLooks {
    public:
        explicit TimerLooks(Win32BatchRun& run) {
            looked_ = &run;
            timer_ = ::SetTimer(nullptr, 0, kLookMilliseconds, &OnTimer);
        }
        ~TimerLooks() {
            if (timer_ != 0) {
                ::KillTimer(nullptr, timer_);
            }
            looked_ = nullptr;
        }
        TimerLooks(const TimerLooks&) = delete;
        TimerLooks& operator=(const TimerLooks&) = delete;

    private:
        static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
            if (looked_ == nullptr) {
                return;
            }
            try {
                looked_->Look();
            } catch (...) {
                looked_->lost_ = true;  // what it did is no longer known: end it
                looked_->over_ = true;
                ::TerminateJobObject(looked_->job_.get(), kEndedStatus);
            }
        }

        UINT_PTR timer_ = 0;
    };

    // Takes what the port has to say, and ends the job when its work is over or its time
    // is up.
    void Look() {
        if (over_) {
            return;
        }
        TakeMessages();
        const DWORD now = ::GetTickCount();
        if (!over_ && !ending_ &&
            (end_.programExits.size() >= limits_.programs ||
             now - start_ >= limits_.milliseconds)) {
            ending_ = true;  // what the batch was run for is over, or its time is
            endingSince_ = now;
            ::TerminateJobObject(job_.get(), kEndedStatus);
        }
        // The port's messages are not promised: the job's own count is read as well.
        if (!over_ && (Accounting().ActiveProcesses == 0 ||
                       (ending_ && now - endingSince_ >= kEndingMilliseconds))) {
            TakeMessages();  // those sent before the count reached zero
            over_ = true;
        }
    }

    void TakeMessages() {
        DWORD message = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* data = nullptr;
        while (::GetQueuedCompletionStatus(port_.get(), &message, &key, &data, 0)) {
            if (key != kJobKey) {
                continue;
            }
            if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
                over_ = true;
            } else {
                OnMessage(message, static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data)));
            }
        }
    }

    void OnMessage(DWORD message, DWORD processId) {
        if (processId == interpreterId_) {
            return;
        }
        if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
            Program program;
            program.id = processId;
            program.process.reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
            BOOL inJob = FALSE;
            if (program.process &&
                (!::IsProcessInJob(program.process.get(), job_.get(), &inJob) || !inJob)) {
                program.process.reset();  // its number was already another's
            }
            programs_.push_back(std::move(program));
            return;
        }
        if (message != JOB_OBJECT_MSG_EXIT_PROCESS &&
            message != JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
            return;
        }
        const auto program = std::find_if(programs_.begin(), programs_.end(), [&](const auto& p) {
            return p.id == processId && !p.ended;
        });
        if (program == programs_.end()) {
            return;
        }
        program->ended = true;
        if (ending_) {
            return;  // ended with the job, not by itself
        }
        DWORD status = 0;
        std::optional<std::uint32_t> exit;
        if (program->process && ::GetExitCodeProcess(program->process.get(), &status) &&
            status != STILL_ACTIVE) {
            exit = status;
        }
        end_.programExits.push_back(exit);
    }

    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Accounting() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (!::QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation,
                                         &accounting, sizeof accounting, nullptr)) {
            accounting.ActiveProcesses = 1;  // unknown: not seen empty
            accounting.TotalProcesses = 0;   // unknown: not complete
        }
        return accounting;
    }

    static inline Win32BatchRun* looked_ = nullptr;  // the run the timer looks at

    KernelHandle job_;  // closing it ends everything still in the job
    KernelHandle port_;
    DWORD interpreterId_;
    BatchRunLimits limits_;
    DWORD start_;
    std::vector<Program> programs_;
    BatchRunEnd end_;
    bool ending_ = false;
    DWORD endingSince_ = 0;
    bool over_ = false;
    bool lost_ = false;
};

// A new job that ends everything in it when its last handle closes, with no box for a
// program that crashes in it, and its messages sent to a new completion port.
bool MakeJob(KernelHandle& job, KernelHandle& port) {
    job.reset(::CreateJobObjectA(nullptr, nullptr));
    port.reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!job || !port) {
        return false;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
    association.CompletionKey = reinterpret_cast<void*>(kJobKey);
    association.CompletionPort = port.get();
    return ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits) &&
           ::SetInformationJobObject(job.get(), JobObjectAssociateCompletionPortInformation,
                                     &association, sizeof association);
}

// The interpreter started suspended and put into the job, or nothing. It starts in the
// system folder, where the interpreter looks first for the programs the batch names: a
// program of the same name in the folder the setup program was started from (a downloads
// folder) would otherwise run with the setup program's rights. Where this program
// itself runs in a job, Windows before 8 cannot put a process into a second one: the
// interpreter then leaves that job when it allows so, and otherwise is not run at all.
bool StartInJob(HANDLE job, const std::string& commandLine, PROCESS_INFORMATION& started) {
    char system[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        return false;
    }
    const std::string interpreter = std::string(system, length) + "\\cmd.exe";
    for (const DWORD leaveJob : {0ul, static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB)}) {
        std::string line = "\"" + interpreter + "\" " + commandLine;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION process{};
        const StartErrorModeScope startMode;
        if (!::CreateProcessA(interpreter.c_str(), line.data(), nullptr, nullptr, FALSE,
                              CREATE_SUSPENDED | CREATE_NO_WINDOW | leaveJob, nullptr, system,
                              &startup, &process)) {
            continue;
        }
        if (::AssignProcessToJobObject(job, process.hProcess)) {
            started = process;
            return true;
        }
        ::TerminateProcess(process.hProcess, kEndedStatus);  // never ran a line
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return false;
}

}  // namespace

std::unique_ptr<BatchRun> Win32Shell::RunBatch(const std::string& batchPath,
                                               BatchRunLimits limits) {
    KernelHandle job;
    KernelHandle port;
    if (!MakeJob(job, port)) {
        return nullptr;
    }
    // "/d": no AutoRun commands from the registry; "/c" with the quoted path quoted once
    // more, as the interpreter takes the outer pair away.
    PROCESS_INFORMATION started{};
    if (!StartInJob(job.get(), "/d /c \"\"" + batchPath + "\"\"", started)) {
        return nullptr;
    }
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    auto run = std::make_unique<Win32BatchRun>(std::move(job), std::move(port), started.dwProcessId,
                                               limits);
    if (::ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        return nullptr;  // the job goes with it, and the interpreter that never ran
    }
    return run;
}

}  // namespace tk::platform::win32

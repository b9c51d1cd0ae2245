#pragma once
// The last resort. However the program ends unexpectedly (a C++ exception that no handler
// took, a fault such as an access violation, abort()), it ends with the one exit status
// that says so, never with a status that could read as a result of the install. In silent
// mode nothing shows a window: one line goes to the parent console instead.
namespace tk::platform {

// The exit status of an unexpected end (the setup program's "failed unexpectedly").
inline constexpr int kUnexpectedEndStatus = 6;

// Installs the handlers for the rest of the process. Call it first with `silent` true
// (nothing is known yet, so nothing may be shown), and again once the mode is known.
// The system's own fault box is kept away in either mode; silent also keeps its
// critical-error boxes away, which the wizard keeps. Each call sets its mode on top of the
// error mode the process was started with, which the programs it starts get back.
void InstallCrashHandlers(bool silent);

// The normal end: returns `status` for WinMain to return. A failure already being reported
// on another thread (its box may be waiting for the person) ends the process instead, with
// the status for an unexpected end, so this then never returns; one that begins after this
// call ends the process at once with that status.
int EndNormally(int status);

// Ends the process at once with the status for an unexpected end, after the one line on
// the console (silent) or a message box (wizard). `detail` says what happened.
[[noreturn]] void EndUnexpectedly(const char* detail);

}  // namespace tk::platform

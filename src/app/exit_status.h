#pragma once
// The setup program's exit status. The values never change; new ones go at the end.

namespace tk::app {

enum class ExitStatus : int {
    Installed = 0,            // the install completed (silent), or Finish was pressed
    StoppedByError = 1,       // an error stopped the install; its message was reported
    NoInstallFolder = 2,      // the install folder was empty; nothing was written
    InstalledIncomplete = 3,  // installed, but some steps did not complete
    WizardQuit = 4,           // the user quit the wizard before the install completed
    AlreadyRunning = 5,       // another setup window is open; nothing was done
    FailedUnexpectedly = 6,   // the program itself failed (a crash); the install did not finish
    RestartRequired = 3010,   // installed; files in use are replaced when the computer restarts
};

}  // namespace tk::app

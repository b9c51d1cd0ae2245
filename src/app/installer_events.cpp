// The wizard's event handlers: the buttons, the check boxes and radio buttons, and the
// finish and quit operations.
#include "app/installer.h"

#include <shlobj.h>

#include "app/ui_text.h"
#include "app/wizard_layout.h"
#include "platform/win32/handles.h"

namespace tk::app {

void TtkInstaller::FinishOperation() {
    model_.Finish();
    closeQueryAttached_ = false;
    RequestQuit();
}

void TtkInstaller::QuitOperation() {
    if (ShowMessage(window_, model_.QuitQuestion(), Caption(), MB_YESNO | MB_ICONWARNING) ==
        IDYES) {
        closeQueryAttached_ = false;
        RequestQuit();
    }
}

// Every attempt to close the window is refused here and becomes the quit question.
bool TtkInstaller::FormCloseQuery() {
    QuitOperation();
    return false;
}

bool TtkInstaller::EndSessionQuery() {
    if (silent_ != nullptr) {
        return !SilentRunner::RefusesToClose();  // it ends by itself, moments after its install
    }
    if (!closeQueryAttached_) {
        return true;  // the end was requested already
    }
    QuitOperation();
    return !closeQueryAttached_;
}

void TtkInstaller::Button1Click() {
    ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

void TtkInstaller::Button2Click(int tag) {
    const WizardAction action = model_.ButtonClick(tag);
    Apply();
    if (action == WizardAction::Finish) {
        FinishOperation();
    } else if (action == WizardAction::RunInstall) {
        ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        RunInstallSequence();
    }
}

// The folder dialog; the chosen folder gets the product's folders added by the model.
void TtkInstaller::Button4Click() {
    BROWSEINFOA browse{};
    browse.hwndOwner = window_;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const platform::win32::ItemList chosen(::SHBrowseForFolderA(&browse));
    if (!chosen) {
        return;  // cancelled: nothing changes
    }
    char folder[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(chosen.get(), folder) || folder[0] == '\0') {
        return;
    }
    model_.BrowseChose(folder);
    Apply();
}

void TtkInstaller::CheckBox1Click() {
    model_.AcceptClicked(::SendMessageW(ControlWindow(kAgreeCheckBox), BM_GETCHECK, 0, 0) ==
                         BST_CHECKED);
    Apply();
}

void TtkInstaller::RadioButton1Click(int tag) {
    model_.EditionClicked(tag);
    Apply();
}

void TtkInstaller::RequestQuit() {
    ::PostQuitMessage(0);
}

}  // namespace tk::app

#include "panels/profile/ProfileDialogs.h"

#include <QFileDialog>

#include "app/dialogs/MsgWnd.h"
#include "toolkit/WindowBase.h"
#include "toolkit/WindowMessages.h"

namespace {

ProfileDialogHooks& Hooks() {
    static ProfileDialogHooks hooks;
    return hooks;
}

}  // namespace

void SetProfileDialogHooks(ProfileDialogHooks hooks) { Hooks() = std::move(hooks); }

int AskProfileMessage(DuiLib::HWND owner, int dpi, const std::string& text, bool textIsKey, int buttons) {
    if (Hooks().messageBox) return Hooks().messageBox(owner, dpi, text, textIsKey, buttons);
    return ShowMessageBox(owner, "", text, dpi, textIsKey ? 1 : 0, buttons);
}

std::string ChooseProfileFile(DuiLib::HWND owner, bool save) {
    if (Hooks().chooseProfileFile) return Hooks().chooseProfileFile(owner, save);
    return ShowProfileFileDialog(owner, save);
}

std::string ShowProfileFileDialog(DuiLib::HWND owner, bool save) {
    DuiLib::CWindowWnd* window = DuiLib::FromHandle(owner);
    QFileDialog dialog(window ? window->GetHostWidget() : nullptr);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter("Profile Files(*.json)");
    // A name typed without an extension is saved as a profile file.
    if (save) dialog.setDefaultSuffix("json");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

#include "panels/profile/ProfileDialogs.h"

#include "toolkit/FileDialog.h"
#include "toolkit/MessageBox.h"

namespace {

ProfileDialogHooks& Hooks() {
    static ProfileDialogHooks hooks;
    return hooks;
}

}  // namespace

void SetProfileDialogHooks(ProfileDialogHooks hooks) { Hooks() = std::move(hooks); }

int AskProfileMessage(DuiLib::HWND owner, int dpi, const std::string& text, bool textIsKey, int buttons) {
    if (Hooks().messageBox) return Hooks().messageBox(owner, dpi, text, textIsKey, buttons);
    return AskMessageBox(owner, "", text, dpi, textIsKey ? 1 : 0, buttons);
}

std::string ChooseProfileFile(DuiLib::HWND owner, bool save) {
    if (Hooks().chooseProfileFile) return Hooks().chooseProfileFile(owner, save);
    return ShowProfileFileDialog(owner, save);
}

std::string ShowProfileFileDialog(DuiLib::HWND owner, bool save) {
    // A name typed without an extension is saved as a profile file.
    return ShowFileDialog(owner, save, "Profile Files(*.json)", "json");
}

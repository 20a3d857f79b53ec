#include "panels/macro/MacroDialogs.h"

#include "toolkit/FileDialog.h"

namespace {

MacroFileChooser& Chooser() {
    static MacroFileChooser chooser;
    return chooser;
}

std::string ShowMacroFileDialog(DuiLib::HWND owner, bool save) {
    return ShowFileDialog(owner, save, "Macro Files(*.mac)", "mac");
}

}  // namespace

void SetMacroFileChooser(MacroFileChooser chooser) { Chooser() = std::move(chooser); }

std::string ChooseMacroFile(DuiLib::HWND owner, bool save) {
    return Chooser() ? Chooser()(owner, save) : ShowMacroFileDialog(owner, save);
}

#include "panels/macro/MacroDialogs.h"

#include <QFileDialog>

#include "toolkit/WindowBase.h"
#include "toolkit/WindowMessages.h"

namespace {

MacroFileChooser& Chooser() {
    static MacroFileChooser chooser;
    return chooser;
}

std::string ShowMacroFileDialog(DuiLib::HWND owner, bool save) {
    DuiLib::CWindowWnd* window = DuiLib::FromHandle(owner);
    QFileDialog dialog(window ? window->GetHostWidget() : nullptr);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter("Macro Files(*.mac)");
    if (save) dialog.setDefaultSuffix("mac");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace

void SetMacroFileChooser(MacroFileChooser chooser) { Chooser() = std::move(chooser); }

std::string ChooseMacroFile(DuiLib::HWND owner, bool save) {
    return Chooser() ? Chooser()(owner, save) : ShowMacroFileDialog(owner, save);
}

#include "app/skins/CustomImageDialog.h"

#include <QFileDialog>

#include "toolkit/WindowBase.h"
#include "toolkit/WindowMessages.h"

namespace {

CustomImageChooser& Chooser() {
    static CustomImageChooser chooser;
    return chooser;
}

}  // namespace

std::optional<std::string> ChooseCustomImageFile(DuiLib::HWND owner) {
    DuiLib::CWindowWnd* window = DuiLib::FromHandle(owner);
    QFileDialog dialog(window ? window->GetHostWidget() : nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("png");
    dialog.setNameFilters({"(*.png) (*.png)", "(*.*) (*)"});
    dialog.selectFile("*.png");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

void SetCustomImageChooser(CustomImageChooser chooser) { Chooser() = std::move(chooser); }

std::optional<std::string> RunCustomImageChooser(DuiLib::HWND owner) {
    if (Chooser()) return Chooser()(owner);
    return ChooseCustomImageFile(owner);
}

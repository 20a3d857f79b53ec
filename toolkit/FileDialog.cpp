#include "toolkit/FileDialog.h"

#include <QFileDialog>

#include "toolkit/WindowBase.h"
#include "toolkit/WindowMessages.h"

std::string ShowFileDialog(DuiLib::HWND owner, bool save, const std::string& nameFilter,
                           const std::string& defaultSuffix) {
    DuiLib::CWindowWnd* window = DuiLib::FromHandle(owner);
    QFileDialog dialog(window ? window->GetHostWidget() : nullptr);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromStdString(nameFilter));
    if (save) dialog.setDefaultSuffix(QString::fromStdString(defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

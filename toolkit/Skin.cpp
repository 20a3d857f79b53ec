#include "toolkit/Skin.h"

#include <QApplication>
#include <QPalette>
#include <QRegularExpression>
#include <QStyleFactory>

#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"

namespace DuiLib::detail {
namespace {

QString Hex(DWORD argb) { return QColor::fromRgba(argb).name(QColor::HexRgb); }

QString StyleSheet(int dpi) {
    QString css = QStringLiteral(R"(
QWidget#ZorvWindow { background-color: @bg; }
QToolTip { background-color: @raised; color: @text; border: 1px solid @border; padding: 4px 6px; }
QLineEdit, QPlainTextEdit {
  background-color: @raised; color: @text; border: 1px solid @border; border-radius: 4px;
  padding: 0px 6px; selection-background-color: @accent; selection-color: @accentText; }
QPlainTextEdit { padding: 4px; }
QLineEdit:hover, QPlainTextEdit:hover { border-color: #3a4150; }
QLineEdit:focus, QPlainTextEdit:focus { border-color: @accent; }
QLineEdit:disabled, QPlainTextEdit:disabled { color: @disabled; background-color: @surface; }
QComboBox {
  background-color: @raised; color: @text; border: 1px solid @border; border-radius: 4px; padding: 0px 28px 0px 8px; }
QComboBox:hover, QComboBox:focus { border-color: @accent; }
QComboBox:disabled { color: @disabled; background-color: @surface; }
QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: center right; width: 24px; border: none; }
QComboBox::down-arrow { image: url(@skin/common/combo_arrow.svg); width: 10px; height: 10px; }
QComboBox::down-arrow:disabled { image: url(@skin/common/combo_arrow_disabled.svg); }
QComboBox QAbstractItemView {
  background-color: @raised; color: @text; border: 1px solid @border; outline: none; padding: 2px;
  selection-background-color: @surface; selection-color: @accent; }
QComboBox QAbstractItemView::item { padding: 0px 8px; }
QComboBox QAbstractItemView::item:hover { background-color: @surface; }
QSlider { background: transparent; }
QSlider::groove:horizontal { height: 4px; background: @border; border-radius: 2px; }
QSlider::sub-page:horizontal { background: @accent; border-radius: 2px; }
QSlider::handle:horizontal {
  width: 14px; height: 14px; margin: -5px 0; border-radius: 7px; background: @text; border: 2px solid @accent; }
QSlider::groove:vertical { width: 4px; background: @border; border-radius: 2px; }
QSlider::add-page:vertical { background: @accent; border-radius: 2px; }
QSlider::handle:vertical {
  width: 14px; height: 14px; margin: 0 -5px; border-radius: 7px; background: @text; border: 2px solid @accent; }
QSlider::sub-page:horizontal:disabled, QSlider::add-page:vertical:disabled { background: @disabled; }
QSlider::handle:disabled { background: @disabled; border-color: @border; }
QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }
QScrollBar:horizontal { background: transparent; height: 8px; margin: 0; }
QScrollBar::handle { background: @border; border-radius: 4px; min-height: 24px; min-width: 24px; }
QScrollBar::handle:hover { background: @secondary; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
QMenu { background-color: @raised; color: @text; border: 1px solid @border; }
)");
    // Lengths are written at 96 DPI.
    static const QRegularExpression lengths(QStringLiteral("(-?\\d+)px"));
    QString scaled;
    qsizetype last = 0;
    for (auto it = lengths.globalMatch(css); it.hasNext();) {
        const auto m = it.next();
        scaled += css.mid(last, m.capturedStart() - last);
        const int v = m.captured(1).toInt();
        scaled += QString::number(v == 0 ? 0 : (v * dpi + (v > 0 ? 48 : -48)) / 96) + "px";
        last = m.capturedEnd();
    }
    scaled += css.mid(last);
    css = scaled;
    css.replace("@skin/", ToQ(CPaintManagerUI::GetResourcePath()));
    css.replace("@bg", Hex(Theme::kBackground));
    css.replace("@surface", Hex(Theme::kSurface));
    css.replace("@raised", Hex(Theme::kRaised));
    css.replace("@border", Hex(Theme::kBorder));
    css.replace("@secondary", Hex(Theme::kTextSecondary));
    css.replace("@disabled", Hex(Theme::kTextDisabled));
    css.replace("@accentText", Hex(Theme::kAccentText));
    css.replace("@accent", Hex(Theme::kAccent));
    css.replace("@text", Hex(Theme::kText));
    return css;
}

}  // namespace

void ApplyDarkSkin(int dpi) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || app->property("zorvSkinDpi").toInt() == dpi) return;
    app->setProperty("zorvSkinDpi", dpi);
    if (QStyle* fusion = QStyleFactory::create("Fusion")) app->setStyle(fusion);
    QPalette palette;
    palette.setColor(QPalette::Window, ToQColor(Theme::kBackground));
    palette.setColor(QPalette::WindowText, ToQColor(Theme::kText));
    palette.setColor(QPalette::Base, ToQColor(Theme::kRaised));
    palette.setColor(QPalette::AlternateBase, ToQColor(Theme::kSurface));
    palette.setColor(QPalette::Text, ToQColor(Theme::kText));
    palette.setColor(QPalette::Button, ToQColor(Theme::kRaised));
    palette.setColor(QPalette::ButtonText, ToQColor(Theme::kText));
    palette.setColor(QPalette::Highlight, ToQColor(Theme::kAccent));
    palette.setColor(QPalette::HighlightedText, ToQColor(Theme::kAccentText));
    palette.setColor(QPalette::ToolTipBase, ToQColor(Theme::kRaised));
    palette.setColor(QPalette::ToolTipText, ToQColor(Theme::kText));
    palette.setColor(QPalette::PlaceholderText, ToQColor(Theme::kTextSecondary));
    palette.setColor(QPalette::Disabled, QPalette::Text, ToQColor(Theme::kTextDisabled));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(Theme::kTextDisabled));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, ToQColor(Theme::kTextDisabled));
    app->setPalette(palette);
    app->setStyleSheet(StyleSheet(dpi));
}

}  // namespace DuiLib::detail

#include "toolkit/Edit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <cstdlib>

#include "toolkit/ControlHost.h"
#include "toolkit/ImageString.h"
#include "toolkit/NativeStyle.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;
using detail::ToQ;
using detail::FromQ;

namespace {

using LineEditHost = detail::ControlHost<QLineEdit>;

// The plain-text edit paints into its viewport, so it is not a ControlHost; it reports focus and
// edits itself.
class RichEditWidget : public QPlainTextEdit, public detail::HostBase {
public:
    explicit RichEditWidget(CRichEditUI* owner) : HostBase(owner) {
        connect(this, &QPlainTextEdit::textChanged, [this] {
            if (m_owner && !m_programmatic) static_cast<CRichEditUI*>(m_owner)->OnUserEdited(FromQ(toPlainText()));
        });
    }
    void SetTextQuietly(const QString& text) {
        m_programmatic = true;
        setPlainText(text);
        m_programmatic = false;
    }

protected:
    void focusInEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusInEvent(e);
        if (m_owner) detail::NotifyFocus(m_owner, true);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusOutEvent(e);
        if (m_owner) detail::NotifyFocus(m_owner, false);
    }

private:
    bool m_programmatic = false;
};

}  // namespace

void detail::ApplyNativeColors(QWidget* widget, const char* selector, DWORD background, DWORD text) {
    if (!background && !text) return;
    QString css = QStringLiteral("%1 {").arg(selector);
    if (background) css += QStringLiteral(" background-color: %1;").arg(CssColor(background));
    if (text) css += QStringLiteral(" color: %1;").arg(CssColor(text));
    css += " }";
    widget->setStyleSheet(css);
}

CEditUI::CEditUI() { m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE; }

std::string CEditUI::GetClass() const { return "EditUI"; }

void* CEditUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Edit") ? this : CControlUI::GetInterface(name);
}

QWidget* CEditUI::CreateWidget() {
    auto* edit = new LineEditHost(this, true);
    edit->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(edit, &QLineEdit::textEdited, [this](const QString& text) { OnUserEdited(FromQ(text)); });
    QObject::connect(edit, &QLineEdit::returnPressed, [this] {
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
    });
    return edit;
}

void CEditUI::ApplyWidgetState() {
    CControlUI::ApplyWidgetState();
    auto* edit = static_cast<QLineEdit*>(m_pWidget);
    if (!edit) return;
    edit->setReadOnly(m_bReadOnly);
    edit->setMaxLength(m_iMaxChar > 0 ? m_iMaxChar : 32767);
    edit->setEchoMode(m_bPassword ? QLineEdit::Password : QLineEdit::Normal);
    edit->setAlignment(detail::AlignmentOf(m_uTextStyle));
    if (m_bNumberOnly && !edit->validator()) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    } else if (!m_bNumberOnly && edit->validator()) {
        delete edit->validator();
        edit->setValidator(nullptr);
    }
    edit->setPlaceholderText(ToQ(m_bResourceText ? CResourceManager::GetInstance()->GetText(m_sPrompt) : m_sPrompt));
    detail::ApplyNativeColors(edit, "QLineEdit", m_dwBackColor, m_dwTextColor);
    const RECT pad = GetTextPadding();
    edit->setTextMargins(pad.left, pad.top, pad.right, pad.bottom);
}

void CEditUI::OnTextChanged() {
    auto* edit = static_cast<QLineEdit*>(m_pWidget);
    if (!edit) return;
    const QString shown = ToQ(CControlUI::GetText());
    if (edit->text() != shown) {
        const QSignalBlocker block(edit);
        edit->setText(shown);
    }
}

std::string CEditUI::GetText() const { return CControlUI::GetText(); }

void CEditUI::OnUserEdited(const std::string& text) {
    m_sText = text;
    m_bResourceText = false;  // what the user typed is no language key
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
}

void CEditUI::SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; ApplyWidgetState(); }
void CEditUI::SetMaxChar(int maxChar) { m_iMaxChar = maxChar; ApplyWidgetState(); }
void CEditUI::SetNumberOnly(bool numberOnly) { m_bNumberOnly = numberOnly; ApplyWidgetState(); }
void CEditUI::SetPasswordMode(bool password) { m_bPassword = password; ApplyWidgetState(); }
void CEditUI::SetPromptText(const std::string& text) { m_sPrompt = text; ApplyWidgetState(); }

void CEditUI::SetSelAll() {
    if (auto* edit = static_cast<QLineEdit*>(m_pWidget)) edit->selectAll();
}

void CEditUI::DoPaint(QPainter& painter, const RECT&) { PaintBorder(painter); }

void CEditUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "readonly")) SetReadOnly(ParseBoolValue(value));
    else if (SameNoCase(name, "numberonly")) SetNumberOnly(ParseBoolValue(value));
    else if (SameNoCase(name, "password")) SetPasswordMode(ParseBoolValue(value));
    else if (SameNoCase(name, "maxchar")) SetMaxChar(std::atoi(value.c_str()));
    else if (SameNoCase(name, "prompttext") || SameNoCase(name, "tipvalue")) SetPromptText(value);
    else CControlUI::SetAttribute(name, value);
}

CRichEditUI::CRichEditUI() { m_uTextStyle = DT_LEFT | DT_WORDBREAK; }

std::string CRichEditUI::GetClass() const { return "RichEditUI"; }

void* CRichEditUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "RichEdit") ? this : CControlUI::GetInterface(name);
}

QWidget* CRichEditUI::CreateWidget() { return new RichEditWidget(this); }

void CRichEditUI::ApplyWidgetState() {
    CControlUI::ApplyWidgetState();
    auto* edit = static_cast<QPlainTextEdit*>(m_pWidget);
    if (!edit) return;
    edit->setReadOnly(m_bReadOnly);
    detail::ApplyNativeColors(edit, "QPlainTextEdit", m_dwBackColor, m_dwTextColor);
}

void CRichEditUI::OnTextChanged() {
    auto* edit = static_cast<RichEditWidget*>(m_pWidget);
    if (!edit) return;
    const QString shown = ToQ(CControlUI::GetText());
    if (edit->toPlainText() != shown) edit->SetTextQuietly(shown);
}

std::string CRichEditUI::GetText() const { return CControlUI::GetText(); }

void CRichEditUI::OnUserEdited(const std::string& text) {
    m_sText = text;
    m_bResourceText = false;
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
}

void CRichEditUI::SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; ApplyWidgetState(); }

void CRichEditUI::AppendText(const std::string& text) { SetText(CControlUI::GetText() + text); }

void CRichEditUI::DoPaint(QPainter&, const RECT&) {}

void CRichEditUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "readonly")) SetReadOnly(ParseBoolValue(value));
    else if (SameNoCase(name, "multiline") || SameNoCase(name, "wantreturn") || SameNoCase(name, "rich")) {}
    else CControlUI::SetAttribute(name, value);
}

}  // namespace DuiLib

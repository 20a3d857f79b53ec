#pragma once
// Text entry: the single-line edit (QLineEdit) and the multi-line rich edit (QPlainTextEdit).
// "textchanged" on every user edit, "return" on Enter, "setfocus"/"killfocus" on focus moves.
#include "toolkit/Control.h"

namespace DuiLib {

class CEditUI : public CControlUI {
public:
    CEditUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    std::string GetText() const override;
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetMaxChar(int maxChar);
    int GetMaxChar() const { return m_iMaxChar; }
    void SetNumberOnly(bool numberOnly);
    bool IsNumberOnly() const { return m_bNumberOnly; }
    void SetPasswordMode(bool password);
    void SetPromptText(const std::string& text);
    void SetSelAll();
    void DoPaint(QPainter& painter, const RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    // Called by the widget: the user changed the text.
    void OnUserEdited(const std::string& text);

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void OnTextChanged() override;

    bool m_bReadOnly = false;
    bool m_bNumberOnly = false;
    bool m_bPassword = false;
    int m_iMaxChar = 255;
    std::string m_sPrompt;
};

class CRichEditUI : public CControlUI {
public:
    CRichEditUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    std::string GetText() const override;
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void AppendText(const std::string& text);
    void DoPaint(QPainter& painter, const RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    void OnUserEdited(const std::string& text);

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void OnTextChanged() override;

    bool m_bReadOnly = false;
};

}  // namespace DuiLib

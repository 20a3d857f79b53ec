#pragma once
// Builds controls from our XML layouts in the skin folder. A "Window" root declares the window
// (size, caption, min size, fonts, per-class default attributes) around one root control; any
// other root is a sub-layout. Known tags are created here, the rest by the callback
// (CreateControl), then by CControlFactory. "Include source=..." pulls in another file,
// "ChildLayout xmlfile=..." builds one into a container. Paths may use "\" or "/".
#include <string>

#include "toolkit/UIDefs.h"

namespace DuiLib {

class CControlUI;
class CPaintManagerUI;

class CDialogBuilder {
public:
    // xml: a layout key of res.xml or a file relative to the skin folder; type "xml" takes xml
    // as the document text itself. With a parent container the controls are added to it and
    // the first one is returned. Nullptr when the file is missing or broken (GetLastError).
    CControlUI* Create(const std::string& xml, const std::string& type = {}, IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    const std::string& GetLastError() const { return m_sError; }

private:
    struct Context;
    std::string m_sError;
};

}  // namespace DuiLib

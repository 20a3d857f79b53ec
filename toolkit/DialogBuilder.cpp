#include "toolkit/DialogBuilder.h"

#include <cstdlib>

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/Edit.h"
#include "toolkit/ImageString.h"
#include "toolkit/List.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Slider.h"
#include "toolkit/XmlNode.h"
#include "platform/DebugOutput.h"

namespace DuiLib {

using detail::SameNoCase;
using detail::XmlNode;

namespace {

template <class T>
CControlUI* Make() {
    return new T();
}

struct KnownTag {
    const char* tag;
    CControlUI* (*create)();
};

constexpr KnownTag kKnownTags[] = {
    {"Control", &Make<CControlUI>},
    {"Container", &Make<CContainerUI>},
    {"VerticalLayout", &Make<CVerticalLayoutUI>},
    {"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {"TabLayout", &Make<CTabLayoutUI>},
    {"ChildLayout", &Make<CContainerUI>},
    {"Button", &Make<CButtonUI>},
    {"Option", &Make<COptionUI>},
    {"CheckBox", &Make<CCheckBoxUI>},
    {"Label", &Make<CLabelUI>},
    {"Text", &Make<CTextUI>},
    {"Edit", &Make<CEditUI>},
    {"RichEdit", &Make<CRichEditUI>},
    {"Combo", &Make<CComboUI>},
    {"ListLabelElement", &Make<CListLabelElementUI>},
    {"ListContainerElement", &Make<CListContainerElementUI>},
    {"List", &Make<CListUI>},
    {"Slider", &Make<CSliderUI>},
    {"Progress", &Make<CProgressUI>},
};

// A file path inside the skin folder from a key, a relative path or an absolute path.
std::string LayoutPath(const std::string& keyOrFile) {
    const std::string file = NormalizeSkinPath(CResourceManager::GetInstance()->GetXmlPath(keyOrFile));
    if (!file.empty() && file.front() == '/') return file;
    return CPaintManagerUI::GetResourcePath() + file;
}

bool ReadBool(const XmlNode& node, const char* name) { return ParseBoolValue(node.Attribute(name)); }

}  // namespace

struct CDialogBuilder::Context {
    IDialogBuilderCallback* callback;
    CPaintManagerUI* manager;
    std::string* error;
    int depth;  // include nesting, bounded so that a file including itself cannot recurse forever

    CControlUI* CreateByTag(const std::string& tag) const {
        for (const KnownTag& known : kKnownTags)
            if (SameNoCase(tag, known.tag)) return known.create();
        if (callback)
            if (CControlUI* control = callback->CreateControl(tag)) return control;
        return CControlFactory::GetInstance()->CreateControl(tag);
    }

    void ApplyWindowDeclarations(const XmlNode& window) const {
        if (!manager) return;
        SIZE size;
        RECT rc;
        for (const auto& [name, value] : window.attributes) {
            if (SameNoCase(name, "size") && std::sscanf(value.c_str(), "%d,%d", &size.cx, &size.cy) == 2)
                manager->SetInitSize(size.cx, size.cy);
            else if (SameNoCase(name, "caption") && ParseRectValue(value, rc)) manager->SetCaptionRect(rc);
            else if (SameNoCase(name, "mininfo") && std::sscanf(value.c_str(), "%d,%d", &size.cx, &size.cy) == 2)
                manager->SetMinInfo(size.cx, size.cy);
            else if (SameNoCase(name, "resourcetext")) manager->SetDefaultResourceText(ParseBoolValue(value));
        }
        for (const auto& child : window.children) {
            if (SameNoCase(child->name, "Font")) {
                const std::string face = child->Attribute("name");
                const int fontSize = std::atoi(child->Attribute("size", "14").c_str());
                if (ReadBool(*child, "default"))
                    CPaintManagerUI::SetDefaultFont(face, fontSize, ReadBool(*child, "bold"), ReadBool(*child, "underline"),
                                                    ReadBool(*child, "italic"));
                if (child->HasAttribute("id"))
                    CPaintManagerUI::AddFont(std::atoi(child->Attribute("id").c_str()), face, fontSize, ReadBool(*child, "bold"),
                                             ReadBool(*child, "underline"), ReadBool(*child, "italic"));
            } else if (SameNoCase(child->name, "Default")) {
                manager->AddDefaultAttributeList(child->Attribute("name"), child->Attribute("value"));
            }
        }
    }

    static bool IsDeclaration(const XmlNode& node) {
        return SameNoCase(node.name, "Font") || SameNoCase(node.name, "Default") || SameNoCase(node.name, "Image") ||
               SameNoCase(node.name, "Style");
    }

    // Builds one element (and its subtree); nullptr for an unknown tag.
    CControlUI* BuildNode(const XmlNode& node, CContainerUI* parent) const {
        if (SameNoCase(node.name, "Include")) {
            const int count = std::max(1, std::atoi(node.Attribute("count", "1").c_str()));
            CControlUI* first = nullptr;
            for (int i = 0; i < count; ++i) {
                CControlUI* c = BuildFile(node.Attribute("source"), parent);
                if (!first) first = c;
            }
            return first;
        }
        CControlUI* control = CreateByTag(node.name);
        if (!control) {
            DebugOutput("CDialogBuilder: unknown tag " + node.name);
            return nullptr;
        }
        if (manager && manager->GetDefaultResourceText()) control->SetResourceText(true);
        if (manager) {
            const std::string defaults = manager->GetDefaultAttributeList(node.name);
            if (!defaults.empty()) control->ApplyAttributeList(defaults);
        }
        for (const auto& [name, value] : node.attributes) control->SetAttribute(name, value);
        auto* container = static_cast<CContainerUI*>(control->GetInterface("Container"));
        if (container) {
            if (SameNoCase(node.name, "ChildLayout")) BuildFile(node.Attribute("xmlfile"), container);
            BuildChildren(node, container);
        }
        if (parent) parent->Add(control);
        return control;
    }

    void BuildChildren(const XmlNode& node, CContainerUI* parent) const {
        for (const auto& child : node.children)
            if (!IsDeclaration(*child)) BuildNode(*child, parent);
    }

    CControlUI* BuildFile(const std::string& file, CContainerUI* parent) const {
        if (depth > 16) {
            *error = "layouts include each other too deeply: " + file;
            return nullptr;
        }
        auto root = detail::ParseXmlFile(LayoutPath(file), error);
        if (!root) return nullptr;
        Context nested{callback, manager, error, depth + 1};
        return nested.BuildRoot(*root, parent);
    }

    CControlUI* BuildRoot(const XmlNode& root, CContainerUI* parent) const {
        if (!SameNoCase(root.name, "Window")) return BuildNode(root, parent);
        ApplyWindowDeclarations(root);
        CControlUI* first = nullptr;
        for (const auto& child : root.children) {
            if (IsDeclaration(*child)) continue;
            CControlUI* c = BuildNode(*child, parent);
            if (!first) first = c;
            if (!parent) break;  // a window has one root control
        }
        return first;
    }
};

CControlUI* CDialogBuilder::Create(const std::string& xml, const std::string& type, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, CControlUI* parent) {
    m_sError.clear();
    std::unique_ptr<XmlNode> root;
    if (SameNoCase(type, "xml")) root = detail::ParseXml(xml, &m_sError);
    else root = detail::ParseXmlFile(LayoutPath(xml), &m_sError);
    if (!root) {
        DebugOutput("CDialogBuilder: " + m_sError);
        return nullptr;
    }
    auto* container = parent ? static_cast<CContainerUI*>(parent->GetInterface("Container")) : nullptr;
    Context context{callback, manager, &m_sError, 0};
    CControlUI* control = context.BuildRoot(*root, container);
    if (control && manager && !container) manager->InitControls(control, nullptr);
    return control;
}

}  // namespace DuiLib

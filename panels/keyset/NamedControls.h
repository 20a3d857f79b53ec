#pragma once
// Finds the named controls of a panel once and casts them to their toolkit family.
#include <map>
#include <string>

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/List.h"

class CNamedControls {
public:
    explicit CNamedControls(DuiLib::CContainerUI& owner) : owner_(owner) {}

    DuiLib::CControlUI* Find(const std::string& name) const {
        if (auto it = cache_.find(name); it != cache_.end()) return it->second;
        DuiLib::CControlUI* found = owner_.FindSubControl(name);
        if (found) cache_.emplace(name, found);  // only hits: a control built later is still found
        return found;
    }
    template <class T>
    T* As(const std::string& name, const char* family) const {
        DuiLib::CControlUI* control = Find(name);
        return control ? static_cast<T*>(control->GetInterface(family)) : nullptr;
    }
    DuiLib::CComboUI* Combo(const std::string& name) const { return As<DuiLib::CComboUI>(name, "Combo"); }
    DuiLib::CEditUI* Edit(const std::string& name) const { return As<DuiLib::CEditUI>(name, "Edit"); }
    DuiLib::COptionUI* Option(const std::string& name) const { return As<DuiLib::COptionUI>(name, "Option"); }
    DuiLib::CListUI* List(const std::string& name) const { return As<DuiLib::CListUI>(name, "List"); }
    DuiLib::CTabLayoutUI* Tabs(const std::string& name) const { return As<DuiLib::CTabLayoutUI>(name, "TabLayout"); }

    std::string Text(const std::string& name) const {
        DuiLib::CControlUI* control = Find(name);
        return control ? control->GetText() : std::string();
    }
    void SetText(const std::string& name, const std::string& text) const {
        if (DuiLib::CControlUI* control = Find(name)) control->SetText(text);
    }
    void SetEnabled(const std::string& name, bool enabled) const {
        if (DuiLib::CControlUI* control = Find(name)) control->SetEnabled(enabled);
    }
    void SetVisible(const std::string& name, bool visible) const {
        if (DuiLib::CControlUI* control = Find(name)) control->SetVisible(visible);
    }
    // Selects a combo item without a notification; -1 clears the selection.
    void Select(const std::string& name, int index) const {
        if (DuiLib::CComboUI* combo = Combo(name)) combo->SelectItem(index, false, false);
    }
    int Selected(const std::string& name) const {
        DuiLib::CComboUI* combo = Combo(name);
        return combo ? combo->GetCurSel() : -1;
    }

private:
    DuiLib::CContainerUI& owner_;
    mutable std::map<std::string, DuiLib::CControlUI*> cache_;
};

#pragma once
// A macro event row: two texts and a delay edit built from
// "XML\CustomControlXML\ComboEditElementItem.xml". Enter activates it and raises "return", a
// press selects it (Ctrl toggles in a multi-select list), a release raises "itemclick", a double
// click activates it. It remembers being changed by an option inside it or by Enter in its
// delay edit.
#include "toolkit/List.h"

namespace DuiLib {

class CEditUI;

class CComboEditContainerElementUI : public CListContainerElementUI, public INotifyUI {
public:
    static constexpr const char* kClassName = "ComboEditContainerElement";
    static constexpr const char* kLayoutFile = "XML\\CustomControlXML\\ComboEditElementItem.xml";

    ~CComboEditContainerElementUI() override;
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    CControlUI* GetText1() const { return m_pText1; }
    CControlUI* GetText2() const { return m_pText2; }
    CEditUI* GetDelayEdit() const { return m_pDelayEdit; }
    bool IsChanged() const { return m_bChanged; }
    void SetChanged(bool changed) { m_bChanged = changed; }

    void DoInit() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void DoEvent(TEventUI& event) override;
    void Notify(TNotifyUI& msg) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    void Listen(CPaintManagerUI* manager);

    CControlUI* m_pText1 = nullptr;
    CControlUI* m_pText2 = nullptr;
    CEditUI* m_pDelayEdit = nullptr;
    CPaintManagerUI* m_pListening = nullptr;
    bool m_bBuilt = false;
    bool m_bChanged = false;
};

}  // namespace DuiLib

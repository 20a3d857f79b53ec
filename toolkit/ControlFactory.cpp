#include "toolkit/ControlFactory.h"

#include <algorithm>
#include <cctype>

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Edit.h"
#include "toolkit/List.h"
#include "toolkit/Slider.h"

namespace DuiLib {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

template <class T>
CControlUI* Make() {
    return new T();
}

struct BuiltIn {
    const char* className;
    CControlUI* (*create)();
};

constexpr BuiltIn kBuiltIns[] = {
    {"CControlUI", &Make<CControlUI>},
    {"CContainerUI", &Make<CContainerUI>},
    {"CVerticalLayoutUI", &Make<CVerticalLayoutUI>},
    {"CHorizontalLayoutUI", &Make<CHorizontalLayoutUI>},
    {"CTabLayoutUI", &Make<CTabLayoutUI>},
    {"CButtonUI", &Make<CButtonUI>},
    {"COptionUI", &Make<COptionUI>},
    {"CCheckBoxUI", &Make<CCheckBoxUI>},
    {"CLabelUI", &Make<CLabelUI>},
    {"CTextUI", &Make<CTextUI>},
    {"CEditUI", &Make<CEditUI>},
    {"CRichEditUI", &Make<CRichEditUI>},
    {"CComboUI", &Make<CComboUI>},
    {"CListLabelElementUI", &Make<CListLabelElementUI>},
    {"CListContainerElementUI", &Make<CListContainerElementUI>},
    {"CListUI", &Make<CListUI>},
    {"CSliderUI", &Make<CSliderUI>},
    {"CProgressUI", &Make<CProgressUI>},
};

}  // namespace

CControlFactory::CControlFactory() {
    for (const BuiltIn& b : kBuiltIns) RegistControl(b.className, b.create);
}

CControlFactory* CControlFactory::GetInstance() {
    static CControlFactory factory;
    return &factory;
}

void CControlFactory::RegistControl(const std::string& className, CreateControlFn create) {
    if (!className.empty() && create) m_creators[Lower(className)] = std::move(create);
}

const CreateControlFn* CControlFactory::Find(const std::string& name) const {
    const std::string key = Lower(name);
    if (auto it = m_creators.find(key); it != m_creators.end()) return &it->second;
    if (auto it = m_creators.find("c" + key + "ui"); it != m_creators.end()) return &it->second;
    return nullptr;
}

CControlUI* CControlFactory::CreateControl(const std::string& name) const {
    const CreateControlFn* create = Find(name);
    return create ? (*create)() : nullptr;
}

bool CControlFactory::IsRegistered(const std::string& name) const { return Find(name) != nullptr; }

}  // namespace DuiLib

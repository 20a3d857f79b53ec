#pragma once
// Control classes by name, for tags the builder and the window do not know. A lookup of "Foo"
// also finds the class registered as "CFooUI"; names are compared without regard to case.
#include <functional>
#include <map>
#include <string>

namespace DuiLib {

class CControlUI;
using CreateControlFn = std::function<CControlUI*()>;

class CControlFactory {
public:
    static CControlFactory* GetInstance();
    void RegistControl(const std::string& className, CreateControlFn create);
    // Nullptr when no class of that name is registered.
    CControlUI* CreateControl(const std::string& name) const;
    bool IsRegistered(const std::string& name) const;

private:
    CControlFactory();
    const CreateControlFn* Find(const std::string& name) const;
    std::map<std::string, CreateControlFn> m_creators;  // lower-case names
};

}  // namespace DuiLib

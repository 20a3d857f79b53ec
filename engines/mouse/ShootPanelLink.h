#pragma once
// What the mouse engine needs of the recoil panel on its page, which belongs to a later layer:
// its set-up with the gun files' folders when the page is built.
#include <string>

class IShootPanel {
public:
    virtual ~IShootPanel() = default;
    // The folders of the gun files; the panel makes sure the files exist and shows gun 0, bullet 0.
    virtual void SetUpShootPanel(const std::string& userFolder, const std::string& defaultFolder) = 0;
};

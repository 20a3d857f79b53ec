#pragma once
// The recoil panel of the mouse page: the user picks one of the four guns and one of its 30
// bullets and edits the bullet's distances, directions and delay; every edit goes to the gun file
// at once. Reset, import and export act on the current gun's file; the upload is the engine's.
#include <functional>
#include <string>

#include "engines/mouse/ShootPanelLink.h"
#include "store/ShootData.h"
#include "toolkit/Container.h"

namespace DuiLib { class COptionUI; class CTabLayoutUI; }

class CTorvanelMouseDevice;

// A save dialog when save, else an open dialog, filter "Shoot Files(*.shoot)"; "" when cancelled.
using ShootFileChooser = std::function<std::string(DuiLib::HWND owner, bool save)>;
// Replaces the chooser for the whole process (tests); an empty one falls back to the system dialog.
void SetShootFileChooser(ShootFileChooser chooser);

class CShootControlUI : public DuiLib::CHorizontalLayoutUI, public IShootPanel {
public:
    static constexpr const char* kClassName = "ShootControl";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // IShootPanel: folders, files made sure of, gun 0 and bullet 0 shown.
    void SetUpShootPanel(const std::string& userFolder, const std::string& defaultFolder) override;

    void SelectGun(int gun);
    void SelectBullet(int bullet);
    void UpdateXCaption();
    void UpdateYCaption();
    // The shown bullet from the gun file into the controls / from the controls into the file.
    void LoadBullet();
    int StoreBullet();
    int ResetGun() { return Reload(data_.ResetGun(gun_)); }
    int ImportGun(const std::string& path) { return Reload(data_.ImportGun(gun_, path)); }
    int ExportGun(const std::string& path) const { return data_.ExportGun(gun_, path); }

    // One notification of the panel's controls; the engine uploads on "shootdate_save_btn".
    // True when the name belongs to the panel.
    bool HandleNotify(CTorvanelMouseDevice& engine, const std::string& type, const std::string& name, int number,
                      DuiLib::HWND owner);

    int CurrentGun() const { return gun_; }
    int CurrentBullet() const { return bullet_; }
    CShootData& Data() { return data_; }

private:
    DuiLib::COptionUI* Option(const std::string& name);
    DuiLib::CControlUI* Named(const std::string& name) { return FindSubControl(name); }
    int Reload(int result);

    CShootData data_;
    int gun_ = 0;
    int bullet_ = -1;
    const int gunCount_ = kShootGunCount;
    const int bulletCount_ = kShootBulletsPerGun;
};

// Registers "CShootControlUI" with the control factory.
void RegisterShootControls();

#include "panels/recoil/ShootControlUI.h"

#include <algorithm>
#include <cstdlib>

#include "engines/mouse/TorvanelMouseDevice.h"
#include "toolkit/Button.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/FileDialog.h"

using namespace DuiLib;

namespace {

ShootFileChooser& Chooser() {
    static ShootFileChooser chooser;
    return chooser;
}

std::string ChooseShootFile(HWND owner, bool save) {
    if (Chooser()) return Chooser()(owner, save);
    return ShowFileDialog(owner, save, "Shoot Files(*.shoot)", "shoot");
}

// Decimal text to a value the gun file keeps; anything else counts as 0.
int NumberOf(CControlUI* edit) {
    if (!edit) return 0;
    const std::string text = edit->GetText();
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::atoi(text.c_str());
}

std::string Indexed(const char* prefix, int index) { return prefix + std::to_string(index); }

}  // namespace

void SetShootFileChooser(ShootFileChooser chooser) { Chooser() = std::move(chooser); }

std::string CShootControlUI::GetClass() const { return kClassName; }

void* CShootControlUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

COptionUI* CShootControlUI::Option(const std::string& name) {
    CControlUI* control = FindSubControl(name);
    return control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr;
}

void CShootControlUI::SetUpShootPanel(const std::string& userFolder, const std::string& defaultFolder) {
    data_.SetShootFolder(userFolder);
    data_.SetShootDefaultFolder(defaultFolder);
    data_.InitShootData();
    SelectGun(0);
    SelectBullet(0);
}

void CShootControlUI::SelectGun(int gun) {
    for (int i = 0; i < gunCount_; ++i)
        if (COptionUI* option = Option(Indexed("shoot_gun_op_", i))) option->Selected(false, false);
    gun_ = std::clamp(gun, 0, gunCount_ - 1);
    if (COptionUI* option = Option(Indexed("shoot_gun_op_", gun_))) option->Selected(true, false);
    if (CControlUI* control = Named("shoot_image_display_switch")) {
        if (auto* pages = static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout"))) pages->SelectItem(gun_);
    }
}

void CShootControlUI::SelectBullet(int bullet) {
    for (int i = 0; i < bulletCount_; ++i)
        if (COptionUI* option = Option(Indexed("bullet_op_", i))) option->Selected(false, false);
    bullet_ = std::clamp(bullet, 0, bulletCount_ - 1);
    if (COptionUI* option = Option(Indexed("bullet_op_", bullet_))) option->Selected(true, false);
    if (CControlUI* label = Named("bullet_select_index")) label->SetText(std::to_string(bullet_ + 1));
    LoadBullet();
}

void CShootControlUI::UpdateXCaption() {
    if (COptionUI* box = Option("bullet_x_check"))
        box->SetText(box->IsSelected() ? "mouse_move_to_left_text" : "mouse_move_to_right_text");
}

void CShootControlUI::UpdateYCaption() {
    if (COptionUI* box = Option("bullet_y_check"))
        box->SetText(box->IsSelected() ? "mouse_move_to_up_text" : "mouse_move_to_down_text");
}

void CShootControlUI::LoadBullet() {
    if (bullet_ < 0) return;
    const BulletValues values = data_.LoadBullet(gun_, bullet_);
    if (CControlUI* edit = Named("bullet_x_eidt")) edit->SetText(std::to_string(values.x));
    if (CControlUI* edit = Named("bullet_y_eidt")) edit->SetText(std::to_string(values.y));
    if (CControlUI* edit = Named("bullet_delay_eidt")) edit->SetText(std::to_string(values.delay));
    if (COptionUI* box = Option("bullet_x_check")) box->Selected(values.left, false);
    if (COptionUI* box = Option("bullet_y_check")) box->Selected(values.up, false);
    UpdateXCaption();
    UpdateYCaption();
}

int CShootControlUI::StoreBullet() {
    if (bullet_ < 0) return 0;
    BulletValues values;
    values.x = NumberOf(Named("bullet_x_eidt"));
    values.y = NumberOf(Named("bullet_y_eidt"));
    values.delay = NumberOf(Named("bullet_delay_eidt"));
    COptionUI* xBox = Option("bullet_x_check");
    COptionUI* yBox = Option("bullet_y_check");
    values.left = xBox && xBox->IsSelected();
    values.up = yBox && yBox->IsSelected();
    return data_.StoreBullet(gun_, bullet_, values);
}

int CShootControlUI::Reload(int result) {
    LoadBullet();
    return result;
}

bool CShootControlUI::HandleNotify(CTorvanelMouseDevice& engine, const std::string& type, const std::string& name,
                                   int number, HWND owner) {
    if (type == "selectchanged") {
        if (name.starts_with("shoot_gun_op_") && number >= 0) {
            COptionUI* option = Option(name);
            if (option && !option->IsSelected()) return true;  // the cleared neighbour reports too
            SelectGun(number);
            LoadBullet();  // the bullet number stays when the gun changes
        } else if (name.starts_with("bullet_op_") && number >= 0) {
            COptionUI* option = Option(name);
            if (option && !option->IsSelected()) return true;
            SelectBullet(number);
        } else if (name == "bullet_x_check") {
            UpdateXCaption();
        } else if (name == "bullet_y_check") {
            UpdateYCaption();
        } else {
            return false;
        }
        return true;
    }
    if (type == "killfocus") {
        if (name != "bullet_x_eidt" && name != "bullet_y_eidt" && name != "bullet_delay_eidt") return false;
        StoreBullet();
        return true;
    }
    if (type != "click") return false;
    if (name == "bullet_selected_prev") {
        SelectBullet(bullet_ - 1);
    } else if (name == "bullet_selected_next") {
        SelectBullet(bullet_ + 1);
    } else if (name == "shootdate_save_btn") {
        engine.UploadRecoilPatterns();
    } else if (name == "shootdate_reset_btn") {
        ResetGun();
    } else if (name == "shootdate_import_btn") {
        const std::string path = ChooseShootFile(owner, false);
        if (!path.empty()) ImportGun(path);
    } else if (name == "shootdate_export_btn") {
        const std::string path = ChooseShootFile(owner, true);
        if (!path.empty()) ExportGun(path);
    } else {
        return false;
    }
    return true;
}

void RegisterShootControls() {
    CControlFactory::GetInstance()->RegistControl("CShootControlUI", [] { return new CShootControlUI(); });
}

// Macro libraries and macro files of any content.
#include <vector>

#include "FuzzSupport.h"
#include "store/MacroLibrary.h"
#include "store/ShootData.h"

namespace {
class ListView : public IListView {
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    void AddItem(const std::string& t, const std::string& d) override { items_.push_back({t, d}); }
    void RemoveItem(int index) override { items_.erase(items_.begin() + index); }
    std::string ItemText(int index) const override { return items_.at(index).first; }
    void SetItemText(int index, const std::string& t) override { items_.at(index).first = t; }
    std::string ItemData(int index) const override { return items_.at(index).second; }
    void SetItemData(int index, const std::string& d) override { items_.at(index).second = d; }
    int SelectedIndex() const override { return selected_ < Count() ? selected_ : -1; }
    void Select(int index, bool) override { selected_ = index; }

private:
    std::vector<std::pair<std::string, std::string>> items_;
    int selected_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFuzzFolder();
    FuzzFile("macro.config", data, size);
    std::string file = FuzzFile("in.mac", data, size);
    ListView view;
    CMacroLibrary library(view);
    library.SetMacroFolder(FuzzFolder());
    library.LoadMacroList();
    std::vector<MacroRow> rows = library.LoadMacroFile(file);
    library.SaveMacro(rows);
    ReadEventRecords(file);
    library.RenameMacro("x");
    library.ImportMacro(file);
    library.DeleteMacro();

    FuzzFile(ShootFileName(0), data, size);
    CShootData shoot;
    shoot.SetShootFolder(FuzzFolder());
    shoot.SetShootDefaultFolder(FuzzFolder() + "none/");
    BulletValues v = shoot.LoadBullet(0, 1);
    shoot.GunRecords(0);
    shoot.StoreBullet(0, 1, v);
    shoot.InitShootData();
    return 0;
}

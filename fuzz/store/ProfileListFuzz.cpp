// A "ProfileList.ini" of any content, then the list operations on it.
#include <vector>

#include "FuzzSupport.h"
#include "store/ProfileList.h"

namespace {
class ListView : public IProfileListView {
public:
    int Count() const override { return static_cast<int>(texts_.size()); }
    void AddItem(const std::string& text, const std::string&) override { texts_.push_back(text); }
    void RemoveItem(int index) override { texts_.erase(texts_.begin() + index); }
    std::string ItemText(int index) const override { return texts_.at(index); }
    void SetItemText(int index, const std::string& text) override { texts_.at(index) = text; }
    std::string ItemData(int index) const override { return texts_.at(index); }
    void SetItemData(int, const std::string&) override {}
    int SelectedIndex() const override { return selected_ < Count() ? selected_ : Count() - 1; }
    void Select(int index, bool) override { selected_ = index; }
    void ShowName(const std::string&) override {}

private:
    std::vector<std::string> texts_;
    int selected_ = -1;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFuzzFolder();
    FuzzFile("ProfileList.ini", data, size);
    std::string imported = FuzzFile("import.json", data, size);
    ListView view;
    CProfileList list(view);
    list.SetFolders(FuzzFolder(), FuzzFolder() + "none.Json");
    list.InitProfileList();
    list.CopyProfile();
    list.RenameProfile("Renamed");
    list.ImportExportedProfile(imported);
    list.ExportProfile(0, FuzzFolder() + "export.json");
    list.ResetProfile();
    list.DeleteProfile();
    return 0;
}

#pragma once
// The list control a store list is shown in. The panels implement it over their toolkit controls;
// the store only ever talks to this interface, so it runs (and is tested) without a window.
#include <functional>
#include <string>

class IListView {
public:
    virtual ~IListView() = default;
    virtual int Count() const = 0;
    // Appends an item with its text and its hidden user data.
    virtual void AddItem(const std::string& text, const std::string& userData) = 0;
    virtual void RemoveItem(int index) = 0;
    virtual std::string ItemText(int index) const = 0;
    virtual void SetItemText(int index, const std::string& text) = 0;
    virtual std::string ItemData(int index) const = 0;
    virtual void SetItemData(int index, const std::string& userData) = 0;
    // -1 when nothing is selected.
    virtual int SelectedIndex() const = 0;
    // Selects an item; notify raises the control's selection notification.
    virtual void Select(int index, bool notify) = 0;
};

// The profile strip's list, which also has the edit field showing the selected profile's name.
class IProfileListView : public IListView {
public:
    virtual void ShowName(const std::string& name) = 0;
};

// The modal message box: a language text key and 0 (notice) or 1 (question); 1 when confirmed.
using MessageBoxCallback = std::function<int(const std::string& textKey, int buttons)>;

// Index of an item whose text equals name without regard to ASCII letter case, or -1.
// skipIndex is left out of the comparison (-1 compares every item).
int FindItemIgnoringCase(const IListView& view, const std::string& name, int skipIndex = -1);
// Name comparison of the lists: equal without regard to letter case.
bool NamesEqual(const std::string& a, const std::string& b);
// True when the text is empty after removing white space at both ends.
bool IsBlankName(const std::string& name);

#pragma once
// Shared fixture of the store tests: a fresh data folder per test (XDG_DATA_HOME under
// $ZORV_TEST_TMP), small file helpers and an in-memory list control.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "store/JsonFile.h"
#include "store/ListView.h"

namespace storetest {

namespace fs = std::filesystem;

inline std::string FreshFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const char* root = std::getenv("ZORV_TEST_TMP");
    fs::path base = root && *root ? fs::path(root) : fs::temp_directory_path() / "zorv-store-tests";
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    fs::path dir = base / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = FreshFolder();
        setenv("XDG_DATA_HOME", (root_ + "data").c_str(), 1);
    }
    std::string Root() const { return root_; }
    std::string Path(const std::string& name) const { return root_ + name; }

    static void WriteText(const std::string& path, const std::string& text) {
        ASSERT_TRUE(WriteFileAtomic(path, text)) << path;
    }
    static std::string ReadText(const std::string& path) {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    static Json::Value Parse(const std::string& text) { return ParseJsonText(text); }
    static Json::Value ReadDoc(const std::string& path) { return ReadJsonValue(path); }
    // Files of a folder whose name starts with prefix, sorted.
    static std::vector<std::string> FilesStartingWith(const std::string& folder,
                                                      const std::string& prefix) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            std::string name = e.path().filename().string();
            if (name.rfind(prefix, 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string root_;
};

// Bad contents every reader must survive.
struct BadContent {
    const char* label;
    std::string bytes;
};
inline std::vector<BadContent> BadContents() {
    return {
        {"empty", ""},
        {"truncated", "{\"Device\":[{\"LightInfo\":{\"SelectItem\":3,"},
        {"not json", "this is not json at all \x01\x02"},
        {"array root", "[1,2,3]"},
        {"number root", "42"},
        {"wrong types", "{\"Device\":\"x\",\"profilelist\":7,\"MacroInfo\":{\"a\":1},\"Events\":\"e\"}"},
        {"deep nesting", std::string(5000, '[') + std::string(5000, ']')},
        {"huge", "{\"pad\":\"" + std::string(kMaxConfigFileBytes, 'x') + "\"}"},
    };
}

class FakeListView : public IProfileListView {
public:
    struct Item {
        std::string text;
        std::string data;
    };
    int Count() const override { return static_cast<int>(items.size()); }
    void AddItem(const std::string& text, const std::string& userData) override {
        items.push_back({text, userData});
    }
    void RemoveItem(int index) override {
        items.erase(items.begin() + index);
        if (selected >= Count()) selected = Count() - 1;
    }
    std::string ItemText(int index) const override { return items.at(index).text; }
    void SetItemText(int index, const std::string& text) override { items.at(index).text = text; }
    std::string ItemData(int index) const override { return items.at(index).data; }
    void SetItemData(int index, const std::string& d) override { items.at(index).data = d; }
    int SelectedIndex() const override { return selected; }
    void Select(int index, bool notify) override {
        selected = index;
        if (notify) ++notifications;
    }
    void ShowName(const std::string& name) override { shownName = name; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const Item& i : items) t.push_back(i.text);
        return t;
    }

    std::vector<Item> items;
    int selected = -1;
    int notifications = 0;
    std::string shownName;
};

}  // namespace storetest

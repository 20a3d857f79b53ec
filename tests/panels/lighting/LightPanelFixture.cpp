#include "tests/panels/lighting/LightPanelFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/XmlNode.h"

using namespace DuiLib;

namespace lighttest {

namespace {

std::string TestFolder() {
    const char* root = std::getenv("ZORV_TEST_TMP");
    const std::filesystem::path folder = std::filesystem::path(root && *root ? root : "/tmp/zorv-lighting-tests");
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

}  // namespace

std::string WriteLanguageFile(const std::string& language) {
    const std::string skin = CPaintManagerUI::GetResourcePath();
    std::map<std::string, std::string> texts;
    // The shipped file first, so the effect names resolve.
    if (auto doc = detail::ParseXmlFile(skin + (language == "zh" ? "lang/lan_cn.xml" : "lang/lan_en.xml"))) {
        for (const auto& node : doc->children)
            if (node->name == "Text") texts[node->Attribute("key")] = node->Attribute("value");
    }
    std::istringstream tsv(ReadFile(skin + "XML/CustomControlXML/lighting/text-keys.tsv"));
    for (std::string line; std::getline(tsv, line);) {
        if (line.empty() || line[0] == '#') continue;
        const size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        texts[line.substr(0, a)] = language == "zh" ? line.substr(b + 1) : line.substr(a + 1, b - a - 1);
    }
    const std::string path = TestFolder() + "/lighting_" + language + ".xml";
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language name=\"" << language << "\">\n";
    for (const auto& [key, value] : texts)
        out << "  <Text key=\"" << Escaped(key) << "\" value=\"" << Escaped(value) << "\"/>\n";
    out << "</Language>\n";
    return path;
}

void FillKeyboardEffects(CLightControlUI& panel) {
    static const char* const kNames[] = {
        "light_mode_user", "light_mode_wave", "light_mode_fast_wave", "light_mode_circle_wave",
        "light_mode_spectrum", "light_mode_breathing", "light_mode_static", "light_mode_key_glow",
        "light_mode_column_ripple", "light_mode_cross_ripple", "light_mode_starlight", "light_mode_spectrum_keys",
        "light_mode_wave_rows", "light_mode_side_wave", "light_mode_stage_wave", "light_mode_breathing_keys",
        "light_mode_side_ripple", "light_mode_preset_colour", "light_mode_wave_matrix", "light_mode_user",
        "light_mode_custom", "light_mode_gradient", "light_mode_twinkle", "light_mode_key_fade",
        "light_mode_key_fade_wide", "light_mode_reactive", "light_mode_music", "light_mode_music_colour",
        "light_mode_snake", "light_mode_off", "light_mode_blink", "light_mode_user",
        "light_mode_sweep", "light_mode_key_glow_hold", "light_mode_breathing_four", "light_mode_blink_four",
    };
    std::vector<std::string> names(std::begin(kNames), std::end(kNames));
    std::vector<int> visible(names.size(), 1);
    visible[0] = visible[19] = visible[31] = 0;
    panel.SetEffectLists(names, visible, {"area_light_breathing", "area_light_static", "area_light_blink"},
                         {"Set one", "Set two"});
}

void LightPanelTest::SetUp() {
    RegisterLightingControls();
    window_ = ToolkitTest::OpenWindow(kPreviewLayout, 320, 440);
    ASSERT_NE(window_, nullptr);
    CControlUI* root = window_->GetPaintManager()->GetRoot();
    ASSERT_NE(root, nullptr);
    panel_ = static_cast<CLightControlUI*>(root->GetInterface(CLightControlUI::kClassName));
    ASSERT_NE(panel_, nullptr);
    panel_->SetPanelKind(1);
    FillKeyboardEffects(*panel_);
}

void LightPanelTest::TearDown() {
    delete window_;
    ToolkitTest::Pump();
}

CControlUI* LightPanelTest::Find(const std::string& name) const {
    CControlUI* c = window_->GetPaintManager()->FindControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

bool LightPanelTest::Shown(const std::string& name) const {
    CControlUI* c = Find(name);
    return c && c->IsVisible();
}

}  // namespace lighttest

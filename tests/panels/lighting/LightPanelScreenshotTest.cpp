// Screenshots of the lighting panel in English and Chinese at 96 and 144 DPI, for the lighting and
// the music colour pages; no single-line text may be cut.
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include "toolkit/ResourceManager.h"
#include "tests/panels/lighting/LightPanelFixture.h"

using namespace DuiLib;
using namespace lighttest;

namespace {

std::vector<std::string> ClippedTexts(CControlUI* root) {
    std::vector<std::string> clipped;
    root->VisitTree([&](CControlUI* c) {
        if (!c->HasWidget() || !c->GetInterface("Label") || c->GetText().empty() || (c->GetTextStyle() & DT_WORDBREAK))
            return true;
        for (CControlUI* p = c; p; p = p->GetParent())
            if (!p->IsVisible()) return true;
        const RECT pad = c->GetTextPadding();
        int room = c->GetWidth() - pad.left - pad.right;
        if (c->GetInterface("Option") && !(c->GetTextStyle() & DT_CENTER)) room -= c->Scale(24);
        const int need = QFontMetrics(c->GetQFont()).horizontalAdvance(QString::fromStdString(c->GetText()));
        if (need > room) clipped.push_back(c->GetName() + ": " + c->GetText());
        return true;
    });
    return clipped;
}

// Every visible control's rectangle inside the panel's.
std::vector<std::string> OutsideThePanel(CControlUI* root) {
    std::vector<std::string> outside;
    const RECT panel = root->GetPos();
    root->VisitTree([&](CControlUI* c) {
        for (CControlUI* p = c; p; p = p->GetParent())
            if (!p->IsVisible()) return true;
        const RECT r = c->GetPos();
        if (r.IsEmpty() || !c->HasWidget()) return true;
        if (r.left < panel.left || r.top < panel.top || r.right > panel.right || r.bottom > panel.bottom)
            outside.push_back(c->GetName());
        return true;
    });
    return outside;
}

}  // namespace

TEST(LightPanelScreenshot, EnglishAndChineseAtTwoDpis) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    RegisterLightingControls();
    const struct {
        const char* effectLabel;
        int effect;
    } pages[] = {{"colour", 1}, {"custom", 20}, {"music", 26}};
    for (const char* language : {"en", "zh"}) {
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(WriteLanguageFile(language)));
        for (const int dpi : {96, 144}) {
            for (const auto& page : pages) {
                SCOPED_TRACE(std::string(language) + " " + std::to_string(dpi) + " " + page.effectLabel);
                ToolkitTest::RecordingWindow* w = ToolkitTest::OpenWindow(kPreviewLayout, 320, 440);
                auto* panel = static_cast<CLightControlUI*>(
                    w->GetPaintManager()->GetRoot()->GetInterface(CLightControlUI::kClassName));
                ASSERT_NE(panel, nullptr);
                panel->SetPanelKind(1);
                FillKeyboardEffects(*panel);
                panel->ShowLightState(std::array<uint32_t, 4>{uint32_t(page.effect) | 3u << 8 | 2u << 16 | 1u << 24,
                                                              0xFFC20000u, 0, 0x0000u});
                panel->SetCustomSet(0);
                panel->SetAudioLightInfo({1, 20, 0, 40, 0, 194, 255, 0, 1});
                CPaintManagerUI::SetAllDPI(dpi);
                ToolkitTest::Pump();
                QWidget* host = w->GetHostWidget();
                EXPECT_EQ(host->width(), 320 * dpi / 96);
                CControlUI* root = w->GetPaintManager()->GetRoot();
                EXPECT_EQ(ClippedTexts(root), std::vector<std::string>{});
                EXPECT_EQ(OutsideThePanel(root), std::vector<std::string>{});
                const QImage shot = host->grab().toImage();
                const QString path = QString("%1/lighting_panel_%2_%3_%4.png")
                                         .arg(ZORV_SCREENSHOT_DIR, language, page.effectLabel)
                                         .arg(dpi);
                EXPECT_TRUE(shot.save(path)) << path.toStdString();
                delete w;
                CPaintManagerUI::SetAllDPI(96);
                ToolkitTest::Pump();
            }
        }
    }
    CResourceManager::GetInstance()->ResetTextMap();
}

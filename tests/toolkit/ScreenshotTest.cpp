#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

// Single-line texts that do not fit their control, as "name: text".
std::vector<std::string> ClippedTexts(CControlUI* root) {
    std::vector<std::string> clipped;
    root->VisitTree([&](CControlUI* c) {
        // Combo items have no widget of their own: the drop-down shows them.
        if (!c->HasWidget() || !c->GetInterface("Label") || c->GetText().empty() || (c->GetTextStyle() & DT_WORDBREAK)) return true;
        for (CControlUI* p = c; p; p = p->GetParent())
            if (!p->IsVisible()) return true;
        const RECT pad = c->GetTextPadding();
        int room = c->GetWidth() - pad.left - pad.right;
        if (c->GetInterface("Option") && !(c->GetTextStyle() & DT_CENTER)) room -= c->Scale(24);  // the mark
        const int need = QFontMetrics(c->GetQFont()).horizontalAdvance(QString::fromStdString(c->GetText()));
        if (need > room) clipped.push_back(c->GetName() + ": " + c->GetText());
        return true;
    });
    return clipped;
}

}  // namespace

TEST(Screenshot, DemoLayoutWithEveryControlFamily) {
    const struct {
        const char* language;
        const char* file;
    } languages[] = {{"en", "toolkit-test/lang_en.xml"}, {"zh", "toolkit-test/lang_zh.xml"}};
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    CPaintManagerUI::RemoveAllFonts();
    CPaintManagerUI::AddFont(2, "Noto Sans", 18, false, false, false);
    CPaintManagerUI::AddFont(4, "Noto Sans", 16, false, false, false);
    for (const auto& lang : languages) {
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(lang.file));
        for (const int dpi : {96, 144}) {
            RecordingWindow* w = OpenWindow("toolkit-test/demo.xml");
            CPaintManagerUI::SetAllDPI(dpi);
            Pump();
            QWidget* host = w->GetHostWidget();
            EXPECT_EQ(host->width(), 1000 * dpi / 96);
            EXPECT_EQ(ClippedTexts(w->GetPaintManager()->GetRoot()), std::vector<std::string>{}) << lang.language << " " << dpi;
            const QImage shot = host->grab().toImage();
            const QString path = QString("%1/toolkit_demo_%2_%3.png").arg(ZORV_SCREENSHOT_DIR).arg(lang.language).arg(dpi);
            EXPECT_TRUE(shot.save(path)) << path.toStdString();
            // Dark, as the skin wants: the corner shows the background colour.
            EXPECT_EQ(shot.pixelColor(shot.width() - 2, shot.height() - 2).name().toStdString(), "#101217");
            delete w;
            CPaintManagerUI::SetAllDPI(96);
            Pump();
        }
    }
    CPaintManagerUI::RemoveAllFonts();
    CResourceManager::GetInstance()->LoadLanguage("toolkit-test/lang_en.xml");
}

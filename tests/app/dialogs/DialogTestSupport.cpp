#include "tests/app/dialogs/DialogTestSupport.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "app/language/InterfaceFonts.h"

namespace DialogTest {

DuiLib::CPaintManagerUI* FindManager(const std::string& windowClass) {
    for (DuiLib::CPaintManagerUI* m : DuiLib::CPaintManagerUI::GetPaintManagers())
        if (m->GetName() == windowClass && m->GetRoot() && !m->IsClosing()) return m;
    return nullptr;
}

int CountManagers(const std::string& windowClass) {
    int count = 0;
    for (DuiLib::CPaintManagerUI* m : DuiLib::CPaintManagerUI::GetPaintManagers())
        if (m->GetName() == windowClass && !m->IsClosing()) ++count;
    return count;
}

void WhenOpen(const std::string& windowClass, std::function<void(DuiLib::CPaintManagerUI*)> act) {
    auto* timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, windowClass, act = std::move(act)] {
        DuiLib::CPaintManagerUI* manager = FindManager(windowClass);
        if (!manager || !manager->GetHostWidget() || !manager->GetHostWidget()->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(manager);
    });
    timer->start(5);
}

bool SaveScreenshot(DuiLib::CPaintManagerUI* manager, const std::string& name) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    manager->UpdateLayout();
    const QImage shot = manager->GetHostWidget()->grab().toImage();
    return shot.save(QString("%1/%2.png").arg(ZORV_SCREENSHOT_DIR).arg(QString::fromStdString(name)));
}

void UseLanguage(const std::string& language) {
    DuiLib::CResourceManager::GetInstance()->LoadResource();
    const bool chinese = language == "zh";
    DuiLib::CResourceManager::GetInstance()->LoadLanguage(chinese ? "lang/lan_cn.xml" : "lang/lan_en.xml");
    RebuildInterfaceFonts(chinese ? "Noto Sans CJK SC" : "Noto Sans");
    DuiLib::CResourceManager::GetInstance()->ReloadText();
}

}  // namespace DialogTest

#include "tests/e2e/journey/JourneyFixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "app/devicelist/DeviceList.h"
#include "app/devicelist/DeviceOption.h"
#include "app/routing/ControlBuilder.h"
#include "app/shell/AppMessages.h"
#include "app/shell/InterfaceScale.h"
#include "toolkit/UIlib.h"
#include "device/registry/ModelTables.h"
#include "store/KeyboardProfiledata.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;

namespace journey {

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    return ToolkitTest::PumpUntil(condition, timeoutMs);
}

void Pump(int ms) { ToolkitTest::PumpFor(ms); }

void JourneyTest::SetUpTestSuite() {
    CPaintManagerUI::SetInstance();
    CPaintManagerUI::SetResourcePath(ZORV_SKIN_DIR);
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
    RegisterAppInstanceMessage();
    RegisterControlClasses();
    RegisterApplicationMessages();
}

void JourneyTest::SetUp() {
    // Socket paths must stay short, so the folder is below /tmp rather than the build tree.
    char pattern[] = "/tmp/zorv-journey-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("ZORV_HID_EMULATOR_DIR", dir_.c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
}

void JourneyTest::TearDown() {
    if (window_ && IsWindow(window_->GetHWND())) window_->Close(IDOK);
    Pump(50);
    window_.reset();
    keyboards_.clear();
    std::filesystem::remove_all(dir_);
}

CMainWnd& JourneyTest::Open() {
    window_ = std::make_unique<CMainWnd>(nullptr);
    window_->Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, 800, 572);
    // The start-up scale pass resizes and centres the window 100 ms after creation; tests that
    // place other windows beside it must not race that move on a loaded machine.
    const bool scaled = PumpUntil([&] {
        const QWidget* host = window_->GetHostWidget();
        return host->width() == kMainWindowWidth * window_->Dpi() / 96 && host->height() == kMainWindowHeight * window_->Dpi() / 96;
    });
    EXPECT_TRUE(scaled) << "the start-up scale pass did not run";
    return *window_;
}

emu::EmulatedKeyboard& JourneyTest::Plug(uint16_t productId, const std::string& name) {
    emu::EmulatorOptions options;
    options.productId = productId;
    options.name = name;
    options.dir = dir_.string();
    auto keyboard = std::make_unique<emu::EmulatedKeyboard>(options);
    std::string error;
    EXPECT_TRUE(keyboard->Start(error)) << error;
    keyboards_.push_back(std::move(keyboard));
    return *keyboards_.back();
}

namespace {
const DevicePageRecord* PageOf(CMainWnd& window, uint16_t productId) {
    if (!window.DeviceList()) return nullptr;
    for (const DevicePageRecord& page : window.DeviceList()->Pages())
        if (page.pageRow >= 0 && kPageTable[page.pageRow].productId == productId) return &page;
    return nullptr;
}
}  // namespace

CTorvanelKeyboardDevice* JourneyTest::Engine(uint16_t productId) const {
    const DevicePageRecord* page = PageOf(*window_, productId);
    if (!page || !page->engine) return nullptr;
    return static_cast<CTorvanelKeyboardDevice*>(page->engine->GetInterface(CTorvanelKeyboardDevice::kClassName));
}

bool JourneyTest::EntryShown(uint16_t productId) const {
    const DevicePageRecord* page = PageOf(*window_, productId);
    return page && page->entry && page->entry->IsEntryShown();
}

bool JourneyTest::NoDeviceShown() const {
    CControlUI* view = window_->FindControl("No_device_Link");
    return view && view->IsVisible();
}

bool JourneyTest::WaitConnected(uint16_t productId) {
    return PumpUntil([&] {
        CTorvanelKeyboardDevice* engine = Engine(productId);
        // The read-all ends with the device information block filled in.
        return engine && EntryShown(productId) && engine->CommandChannel().IsConnected() && engine->DeviceKeyCount() > 0;
    });
}

CControlUI* JourneyTest::PageControl(uint16_t productId, const std::string& name) const {
    CTorvanelKeyboardDevice* engine = Engine(productId);
    return engine ? engine->FindSubControl(name) : nullptr;
}

void JourneyTest::Click(CControlUI* control) {
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->IsVisible() && control->IsEnabled()) << control->GetName();
    QTest::mouseClick(control->GetWidget(), Qt::LeftButton);
    Pump(20);
}

void JourneyTest::Raise(CControlUI* control, const std::string& type) {
    ASSERT_NE(control, nullptr);
    window_->GetPaintManager()->SendNotify(control, type);
    Pump(20);
}

std::vector<uint8_t> JourneyTest::Codes(const emu::EmulatedKeyboard& keyboard) {
    std::vector<uint8_t> codes;
    for (const emu::PacketLogEntry& entry : keyboard.PacketLogEntries())
        if (entry.bytes.size() > 3) codes.push_back(entry.bytes[3]);
    return codes;
}

bool JourneyTest::Received(const emu::EmulatedKeyboard& keyboard, uint8_t code) {
    const std::vector<uint8_t> codes = Codes(keyboard);
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

std::vector<uint8_t> JourneyTest::DeviceRecord(const emu::EmulatedKeyboard& keyboard) {
    const emu::KeyboardSnapshot snapshot = keyboard.Snapshot();
    const size_t start = static_cast<size_t>(snapshot.memory.ActiveProfile()) * 25;
    return {snapshot.memory.params.begin() + static_cast<long>(start),
            snapshot.memory.params.begin() + static_cast<long>(start + 28)};
}

LightInfoRecord JourneyTest::StoredLight(uint16_t productId) const {
    CTorvanelKeyboardDevice* engine = Engine(productId);
    CKeyboardProfiledata stored;
    stored.SetDeviceIndex(engine->Profile().GetDeviceIndex());
    stored.LoadSection(engine->GetProfilePath());
    return stored.GetLightInfo();
}

void JourneyTest::Screenshot(const std::string& name) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    const QString path = QString(ZORV_SCREENSHOT_DIR) + "/" + QString::fromStdString(name) + ".png";
    EXPECT_TRUE(window_->GetHostWidget()->grab().toImage().save(path)) << path.toStdString();
}

}  // namespace journey

// The manager binary in a real X window with an emulated keyboard, driven the way a person drives
// it: xdotool moves the pointer and clicks. A colour swatch must reach the keyboard's lighting
// record and the profile file; the caption's close button must only hide the window; SIGTERM must
// end the program cleanly.
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace {
namespace fs = std::filesystem;

const std::string kBin = ZORV_BIN_DIR;
constexpr const char* kKeyboardName = "desk-kb";
constexpr const char* kWindowTitle = "Zorv Wired Manager";
constexpr const char* kPageShown = "main window: page of row 1 shown";
constexpr int kWaitMs = 8000;  // every wait is bounded; none of them is a timing check

// ---- where the controls are --------------------------------------------------------------------
// Layout pixels at 96 DPI. The interface scales the window (1000 wide in main/main.xml) and all it
// holds by one factor, so a point is scaled by the window's real width over kWindowWidth.
struct LayoutPoint {
    int x, y;
};
constexpr int kWindowWidth = 1000;

// main/main.xml: the caption is 48 high with inset right 4; its buttons are 44 x 40, centred in
// it, and "closebtn" is the last of them.
constexpr int kCaptionHeight = 48;
constexpr int kCaptionInsetRight = 4;
constexpr int kCaptionButtonWidth = 44;
constexpr LayoutPoint kCloseButton{kWindowWidth - kCaptionInsetRight - kCaptionButtonWidth / 2, kCaptionHeight / 2};

// main/main.xml: caption 48, rule 1, device strip 64, rule 1, then the page area.
constexpr int kPageAreaTop = 48 + 1 + 64 + 1;
// keyboarddevice.xml: page inset 16,10,16,12; the profile strip (DeviceProfile.xml, 40 high) and
// childpadding 10 come first; the panel column is 316 wide and ends at the right inset.
constexpr int kPanelLeft = kWindowWidth - 16 - 316;
constexpr int kPanelTop = kPageAreaTop + 10 + 40 + 10;
// LightControl.xml: inset 12, rows 8 apart. With the shipped wave effect the rows above the
// swatches are the effect combo 32, brightness 28, speed 28, direction 28, the 1 px rule, the
// seven-colour check 24 and the palette 96; the swatches are 28 x 24, 8 apart.
constexpr int kLightInset = 12;
constexpr int kRowGap = 8;
constexpr int kRowsAboveSwatches = 32 + 28 + 28 + 28 + 1 + 24 + 96;
constexpr int kSwatchTop = kPanelTop + kLightInset + kRowsAboveSwatches + 7 * kRowGap;
constexpr int kSwatchWidth = 28;
constexpr int kSwatchHeight = 24;
constexpr int kSwatchGap = 8;

constexpr LayoutPoint SwatchCentre(int n) {
    return {kPanelLeft + kLightInset + n * (kSwatchWidth + kSwatchGap) + kSwatchWidth / 2,
            kSwatchTop + kSwatchHeight / 2};
}

// ---- the keyboard's packets and memory --------------------------------------------------------
constexpr size_t kCommandByte = 3;
constexpr size_t kLengthByte = 4;
constexpr size_t kPayloadByte = 8;
constexpr uint8_t kReadParams = 0x05;
constexpr uint8_t kWriteParams = 0x06;
constexpr size_t kRecordSize = 28;
constexpr size_t kRecordStride = 25;  // profile P's record starts at P x 25
constexpr size_t kRecordMultiColour = 5;
constexpr size_t kRecordRed = 6;  // then green, blue
// The T5K1's page row has model index 0, whose section of a profile file is 0.
constexpr int kProfileSection = 0;

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Empty for text that is not hexadecimal.
std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return {};
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

// Packets of "ctl log": "#sequence +Tms cN HEX" per line.
std::vector<std::vector<uint8_t>> ParsePacketLog(const std::string& text) {
    std::vector<std::vector<uint8_t>> packets;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.rfind(' ');
        if (line.empty() || line[0] != '#' || space == std::string::npos) continue;
        packets.push_back(FromHex(line.substr(space + 1)));
    }
    return packets;
}

bool IsCommand(const std::vector<uint8_t>& packet, uint8_t code, size_t length) {
    return packet.size() >= kPayloadByte + length && packet[kCommandByte] == code && packet[kLengthByte] == length;
}

Rgb RecordColour(const uint8_t* record) { return {record[kRecordRed], record[kRecordRed + 1], record[kRecordRed + 2]}; }

// ---- processes ---------------------------------------------------------------------------------
std::string ReadFile(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<Json::Value> ParseJson(const std::string& text) {
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    if (!Json::parseFromStream(builder, in, &root, &errors)) return std::nullopt;
    return root;
}

using testsupport::OnPath;
using testsupport::Spawn;
using testsupport::WaitExit;

bool IsRunning(pid_t pid) { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

struct ToolResult {
    int exitCode;
    std::string output;
};

struct WindowGeometry {
    std::string id;
    int x = 0, y = 0, width = 0, height = 0;
};

class DesktopJourneyTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (CI runs the suite under xvfb-run)";
        if (!OnPath("xdotool")) GTEST_SKIP() << "needs xdotool to click in the window";
        if (!OnPath("dbus-daemon")) GTEST_SKIP() << "needs dbus-daemon for a private session bus";

        char pattern[] = "/tmp/zorv-desk-XXXXXX";  // short: the emulator's socket paths live here
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (const char* sub : {"runtime", "hid", "data", "config"}) fs::create_directories(dir_ / sub);
        chmod((dir_ / "runtime").c_str(), 0700);
        StartSessionBus();
        setenv("XDG_RUNTIME_DIR", (dir_ / "runtime").c_str(), 1);
        setenv("ZORV_HID_EMULATOR_DIR", (dir_ / "hid").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("ZORV_DEBUG", "1", 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);  // a real X window, whatever the caller's setting

        emulator_ = Spawn({kBin + "/zorv-emulator", "run", "--product", "0x5062", "--name", kKeyboardName},
                          dir_ / "emulator.log");
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(dir_ / "hid" / (std::string(kKeyboardName) + ".sock")); }))
            << ReadFile(dir_ / "emulator.log");

        manager_ = Spawn({kBin + "/zorv-wired-manager"}, Log());
        ASSERT_TRUE(WaitUntil([&] { return ReadFile(Log()).find(kPageShown) != std::string::npos; }))
            << ReadFile(Log());
        WaitForDeviceRead();
        WaitForSettledWindow();
    }

    void TearDown() override {
        if (HasFailure() && IsRunning(manager_)) Screenshot("failure");
        for (pid_t* pid : {&manager_, &emulator_, &bus_}) {
            if (*pid <= 0) continue;
            kill(*pid, SIGKILL);
            waitpid(*pid, nullptr, 0);
            *pid = -1;
        }
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    void StartSessionBus() {
        const fs::path socket = dir_ / "bus";
        bus_ = Spawn({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket.string()},
                     dir_ / "bus.log");
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(socket); })) << ReadFile(dir_ / "bus.log");
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);
    }

    fs::path Log() const { return dir_ / "manager.log"; }

    ToolResult Run(const std::vector<std::string>& argv) {
        const fs::path out = dir_ / "tool.out";
        const int code = WaitExit(Spawn(argv, out), kWaitMs);
        return {code, ReadFile(out)};
    }
    ToolResult Ctl(const std::vector<std::string>& words) {
        std::vector<std::string> argv = {kBin + "/zorv-emulator", "ctl", "--name", kKeyboardName};
        argv.insert(argv.end(), words.begin(), words.end());
        return Run(argv);
    }

    // The main window among the visible windows with the title (menus and the like are smaller).
    std::optional<WindowGeometry> FindVisibleWindow() {
        const ToolResult found = Run({"xdotool", "search", "--onlyvisible", "--name", kWindowTitle});
        std::istringstream ids(found.output);
        for (std::string id; ids >> id;) {
            const ToolResult shell = Run({"xdotool", "getwindowgeometry", "--shell", id});
            WindowGeometry g{id};
            std::istringstream lines(shell.output);
            for (std::string line; std::getline(lines, line);) {
                const size_t eq = line.find('=');
                if (eq == std::string::npos) continue;
                const std::string key = line.substr(0, eq);
                const int value = std::atoi(line.c_str() + eq + 1);
                if (key == "X") g.x = value;
                if (key == "Y") g.y = value;
                if (key == "WIDTH") g.width = value;
                if (key == "HEIGHT") g.height = value;
            }
            if (g.width >= kWindowWidth) return g;
        }
        return std::nullopt;
    }

    // The window takes its interface scale shortly after it is first shown; clicks go by the
    // geometry once it has stayed the same for a few polls.
    void WaitForSettledWindow() {
        constexpr int kSamePolls = 5;
        std::optional<WindowGeometry> last;
        int same = 0;
        const bool settled = WaitUntil([&] {
            const std::optional<WindowGeometry> now = FindVisibleWindow();
            const bool unchanged = now && last && now->id == last->id && now->x == last->x && now->y == last->y &&
                                   now->width == last->width && now->height == last->height;
            same = unchanged ? same + 1 : 0;
            last = now;
            return same >= kSamePolls;
        });
        ASSERT_TRUE(settled) << "no visible window titled " << kWindowTitle << " that kept its place";
        window_ = *last;
    }

    void Click(LayoutPoint point) {
        const double scale = static_cast<double>(window_.width) / kWindowWidth;
        const std::string x = std::to_string(window_.x + static_cast<int>(std::lround(point.x * scale)));
        const std::string y = std::to_string(window_.y + static_cast<int>(std::lround(point.y * scale)));
        // The short pause lets the window see the pointer enter before the button goes down.
        const ToolResult click = Run({"xdotool", "mousemove", "--sync", x, y, "sleep", "0.1", "click", "1"});
        ASSERT_EQ(click.exitCode, 0) << "xdotool click at " << x << "," << y << ": " << click.output;
    }

    std::vector<std::vector<uint8_t>> Packets() { return ParsePacketLog(Ctl({"log"}).output); }

    // A read of the lighting record ends the engine's read of the keyboard after it connected; a
    // click before it would race the page being filled from the device and the profile.
    void WaitForDeviceRead() {
        ASSERT_TRUE(WaitUntil([&] {
            for (const auto& p : Packets())
                if (IsCommand(p, kReadParams, kRecordSize)) return true;
            return false;
        })) << Ctl({"log"}).output;
    }

    Rgb ActiveRecordColour(int* multiColour) {
        const std::optional<Json::Value> memory = ParseJson(Ctl({"memory"}).output);
        if (!memory) return {-1, -1, -1};
        const std::vector<uint8_t> params = FromHex((*memory)["Params"].asString());
        const size_t start = (*memory)["ActiveProfile"].asUInt() * kRecordStride;
        if (params.size() < start + kRecordSize) return {-1, -1, -1};
        *multiColour = params[start + kRecordMultiColour];
        return RecordColour(&params[start]);
    }

    // Red, Green and Blue of the selected profile's lighting, as the profile file holds them.
    Rgb ProfileFileColour() {
        const fs::path folder = dir_ / "data" / "Zorv Wired Manager 1.0" / "keyboard";
        const std::optional<Json::Value> list = ParseJson(ReadFile(folder / "ProfileList.ini"));
        if (!list) return {-1, -1, -1};
        const Json::Value& selected = (*list)["profilelist"][(*list)["profileselect"].asUInt()];
        const std::optional<Json::Value> profile =
            ParseJson(ReadFile(folder / (selected["profileUUID"].asString() + ".Json")));
        if (!profile) return {-1, -1, -1};
        const Json::Value& light = (*profile)["Device"][kProfileSection]["LightInfo"];
        return {light["Red"].asInt(), light["Green"].asInt(), light["Blue"].asInt()};
    }

    void Screenshot(const std::string& name) {
        if (!OnPath("import")) return;
        fs::create_directories(ZORV_SCREENSHOT_DIR);
        Run({"import", "-window", "root", std::string(ZORV_SCREENSHOT_DIR) + "/desktop-journey-" + name + ".png"});
    }

    fs::path dir_;
    pid_t bus_ = -1, emulator_ = -1, manager_ = -1;
    WindowGeometry window_;
};
}  // namespace

TEST_F(DesktopJourneyTest, ClickedSwatchReachesTheKeyboardAndTheProfileFile) {
    // Colours from the swatches' bkcolor in LightControl.xml; each differs from the shipped red
    // and from the one before, so a click that did nothing cannot pass.
    const struct {
        int swatch;
        Rgb colour;
    } cases[] = {
        {4, {0x00, 0xFF, 0xFF}},
        {1, {0xFF, 0x80, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("color_option_" + std::to_string(c.swatch));
        ASSERT_EQ(Ctl({"log", "--clear"}).exitCode, 0);
        Click(SwatchCentre(c.swatch));
        // The write of the lighting record is the last step of the change; wait for it.
        const bool written = WaitUntil([&] {
            for (const auto& p : Packets())
                if (IsCommand(p, kWriteParams, kRecordSize) && RecordColour(&p[kPayloadByte]) == c.colour) return true;
            return false;
        });
        ASSERT_TRUE(written) << "no lighting record with the colour was written\n" << Ctl({"log"}).output;

        int multiColour = -1;
        EXPECT_EQ(ActiveRecordColour(&multiColour), c.colour);
        EXPECT_EQ(multiColour, 0) << "a swatch ends seven-colour cycling";
        EXPECT_EQ(ProfileFileColour(), c.colour);
    }
    Screenshot("swatch");
}

TEST_F(DesktopJourneyTest, CloseButtonHidesTheWindowAndSigtermEndsTheProgram) {
    const std::string id = window_.id;
    Click(kCloseButton);
    const bool hidden = WaitUntil([&] {
        const ToolResult visible = Run({"xdotool", "search", "--onlyvisible", "--name", kWindowTitle});
        std::istringstream ids(visible.output);
        for (std::string shown; ids >> shown;)
            if (shown == id) return false;
        return true;
    });
    EXPECT_TRUE(hidden) << "the main window is still mapped after a click on closebtn";
    EXPECT_TRUE(IsRunning(manager_)) << "closebtn must only hide the window\n" << ReadFile(Log());

    ASSERT_EQ(kill(manager_, SIGTERM), 0);
    const int exitCode = WaitExit(manager_, kWaitMs);
    manager_ = -1;
    EXPECT_EQ(exitCode, 0) << ReadFile(Log());
}

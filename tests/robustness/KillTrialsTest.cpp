// The manager killed with SIGKILL at random moments while a person edits: lighting colours, new,
// copied and deleted profiles, new, renamed and saved macros, clicked at a steady pace against an
// emulated keyboard. After every
// kill each file of the user data folder must be whole (valid JSON), the profile lists must name
// only files that exist, and no profile that existed when the run began may be gone, except one
// the trial deleted. 50 trials by default; ZORV_KILL_TRIALS=1000 is the long mode and
// ZORV_KILL_SEED repeats a run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "store/JsonFile.h"
#include "tests/robustness/ManagerRig.h"

namespace {
using namespace robustness;
namespace fs = std::filesystem;

// ---- where to click (layout pixels of a 1000 wide window, see main.xml, keyboarddevice.xml,
// DeviceProfile.xml and LightControl.xml) --------------------------------------------------------
constexpr int kWindowWidth = 1000;
struct LayoutPoint {
    int x, y;
};
constexpr int kPageAreaTop = 48 + 1 + 64 + 1;
constexpr int kStripCentreY = kPageAreaTop + 10 + 20;
// The strip: combo 200, spread 32 (6 apart), then the menu: name 120, save, add, copy, ... (4 apart).
constexpr int kMenuLeft = 16 + 200 + 6 + 32 + 6;
constexpr int kStripButton = 28;
constexpr LayoutPoint StripButton(int n) { return {kMenuLeft + 120 + 4 + n * (kStripButton + 4) + kStripButton / 2, kStripCentreY}; }
constexpr LayoutPoint kAddButton = StripButton(1);
constexpr LayoutPoint kCopyButton = StripButton(2);
// After import and export, a 1 px rule and reset: delete is the last.
constexpr LayoutPoint kDeleteButton{kMenuLeft + 120 + 4 + 5 * (kStripButton + 4) + 1 + 4 + (kStripButton + 4) + kStripButton / 2 - 2,
                                    kStripCentreY};
constexpr int kPanelLeft = kWindowWidth - 16 - 316;
constexpr int kPanelTop = kPageAreaTop + 10 + 40 + 10;
constexpr int kSwatchTop = kPanelTop + 12 + (32 + 28 + 28 + 28 + 1 + 24 + 96) + 7 * 8;
constexpr LayoutPoint Swatch(int n) { return {kPanelLeft + 12 + n * (28 + 8) + 14, kSwatchTop + 12}; }
constexpr int kSwatches = 8;
// The settings tabs beside the strip, and the macro panel of the Macros tab (see MacroControl.xml).
constexpr LayoutPoint kLightingTab{660, kStripCentreY};
constexpr LayoutPoint kMacrosTab{804, kStripCentreY};
constexpr LayoutPoint kFirstMacro{720, 228};
constexpr LayoutPoint kMacroNameEdit{758, 294};
constexpr LayoutPoint kMacroRename{875, 294};
constexpr LayoutPoint kMacroAdd{925, 294};
constexpr LayoutPoint kMacroSave{869, 538};
constexpr int kMacrosKept = 40;  // below the library's limit, so no notice box takes the clicks

struct Window {
    std::string id;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Window&) const = default;
};

std::optional<Window> FindWindow(ManagerRig& rig) {
    const ToolResult found = rig.Run({"xdotool", "search", "--onlyvisible", "--name", ManagerRig::kWindowTitle}, 3000);
    std::istringstream ids(found.output);
    for (std::string id; ids >> id;) {
        const ToolResult shell = rig.Run({"xdotool", "getwindowgeometry", "--shell", id}, 3000);
        Window w{id};
        std::istringstream lines(shell.output);
        for (std::string line; std::getline(lines, line);) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const int value = std::atoi(line.c_str() + eq + 1);
            const std::string key = line.substr(0, eq);
            if (key == "X") w.x = value;
            if (key == "Y") w.y = value;
            if (key == "WIDTH") w.width = value;
            if (key == "HEIGHT") w.height = value;
        }
        if (w.width >= kWindowWidth) return w;
    }
    return std::nullopt;
}

// The short pause lets the window see the pointer enter before the button goes down.
void Click(ManagerRig& rig, const Window& w, LayoutPoint p) {
    const double scale = static_cast<double>(w.width) / kWindowWidth;
    rig.Run({"xdotool", "mousemove", "--sync", std::to_string(w.x + static_cast<int>(p.x * scale + 0.5)),
             std::to_string(w.y + static_cast<int>(p.y * scale + 0.5)), "sleep", "0.1", "click", "1"},
            3000);
}

// ---- what the user data folder holds ----------------------------------------------------------
bool IsJsonFile(const fs::path& file) {
    const std::string ext = file.extension().string();
    return ext == ".Json" || ext == ".json" || ext == ".ini" || ext == ".config" || ext == ".mac";
}

// Macros the keyboard's library lists now (a macro's file only exists once it was saved).
int MacroCount(const fs::path& folder) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->path().filename() == "macro.config")
            return static_cast<int>(ParseJsonText(ReadFile(it->path()))["MacroInfo"].size());
    return 0;
}

struct FolderCheck {
    int filesChecked = 0;
    std::vector<std::string> faults;
    // Profiles by list file: the identifiers the list names (each with a whole file).
    std::map<std::string, std::set<std::string>> profiles;
};

FolderCheck CheckDataFolder(const fs::path& folder) {
    FolderCheck check;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::path file = it->path();
        if (!it->is_regular_file() || !IsJsonFile(file)) continue;
        ++check.filesChecked;
        const std::string text = ReadFile(file);
        // The store's own reader: null for anything that is not a whole JSON document.
        const Json::Value doc = ParseJsonText(text);
        if (doc.isNull()) {
            check.faults.push_back("not whole JSON (" + std::to_string(text.size()) + " bytes): " + file.string());
            continue;
        }
        if (file.filename() != "ProfileList.ini") continue;
        std::set<std::string>& listed = check.profiles[file.string()];
        for (const Json::Value& entry : doc["profilelist"]) {
            const std::string uuid = entry["profileUUID"].asString();
            const fs::path profile = file.parent_path() / (uuid + ".Json");
            if (!fs::exists(profile))
                check.faults.push_back(file.string() + " names a missing profile " + uuid);
            else
                listed.insert(uuid);
        }
    }
    return check;
}

enum class Action { Swatch, Add, Copy, Delete, Macro };

// A macro added or renamed, then saved, and back to the lighting tab for the other actions.
void EditMacro(ManagerRig& rig, const Window& w, std::mt19937& random) {
    Click(rig, w, kMacrosTab);
    const int count = MacroCount(rig.DataFolder());
    if (count == 0 || (count < kMacrosKept && random() % 2 == 0)) {
        Click(rig, w, kMacroAdd);
    } else {
        Click(rig, w, kFirstMacro);
        Click(rig, w, kMacroNameEdit);
        rig.Run({"xdotool", "key", "ctrl+a", "type", "--delay", "5", "m" + std::to_string(random() % 100000)}, 3000);
        Click(rig, w, kMacroRename);
    }
    Click(rig, w, kMacroSave);
    Click(rig, w, kLightingTab);
}

TEST(KillTrials, NothingIsLostOrHalfWrittenWhenTheManagerIsKilled) {
    if (const std::string why = MissingPrerequisite(true, true); !why.empty()) GTEST_SKIP() << why;
    const long trials = LongModeValue("ZORV_KILL_TRIALS", 50);
    const auto seed = static_cast<unsigned>(
        LongModeValue("ZORV_KILL_SEED", std::chrono::system_clock::now().time_since_epoch().count() % 100000 + 1));
    std::mt19937 random(seed);
    std::printf("kill trials: %ld, seed %u (ZORV_KILL_SEED repeats it)\n", trials, seed);
    std::fflush(stdout);

    ManagerRig rig;
    ASSERT_TRUE(rig.Open("zorv-kill")) << rig.Error();
    ASSERT_TRUE(rig.StartEmulator()) << rig.Error();

    long filesChecked = 0, clicks = 0, killsBeforeWindow = 0;
    std::map<Action, long> actions;
    for (long trial = 1; trial <= trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + " of seed " + std::to_string(seed));
        const FolderCheck before = CheckDataFolder(rig.DataFolder());
        // Up to 5 s: start-up (first files, device read) and a few seconds of clicks.
        const auto killAfter = std::chrono::milliseconds(std::uniform_int_distribution<int>(200, 5000)(random));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(rig.StartManager("xcb"));
        std::optional<Window> window;
        int deletes = 0;
        while (std::chrono::steady_clock::now() - start < killAfter) {
            if (!window) {
                if (ReadFile(rig.ManagerLog()).find("main window: page of row 1 shown") != std::string::npos)
                    window = FindWindow(rig);
                if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            // The window takes its interface scale shortly after it is shown: look again each time.
            if (std::optional<Window> now = FindWindow(rig)) window = now;
            const int pick = std::uniform_int_distribution<int>(0, 99)(random);
            const Action action = pick < 50   ? Action::Swatch
                                  : pick < 62 ? Action::Add
                                  : pick < 72 ? Action::Copy
                                  : pick < 82 ? Action::Delete
                                              : Action::Macro;
            ++actions[action];
            ++clicks;
            switch (action) {
                case Action::Swatch:
                    Click(rig, *window, Swatch(std::uniform_int_distribution<int>(0, kSwatches - 1)(random)));
                    break;
                case Action::Add: Click(rig, *window, kAddButton); break;
                case Action::Copy: Click(rig, *window, kCopyButton); break;
                case Action::Delete:
                    Click(rig, *window, kDeleteButton);
                    ++deletes;
                    break;
                case Action::Macro: EditMacro(rig, *window, random); break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
        }
        if (!window) ++killsBeforeWindow;
        if (!rig.ManagerRunning()) {
            const std::string log = ReadFile(rig.ManagerLog());
            // Test machines share /tmp: another X server's clean-up can take the display's socket.
            if (log.find("could not connect to display") != std::string::npos)
                FAIL() << "the X display went away during trial " << trial << " (not the manager's doing)\n" << log;
            FAIL() << "the manager ended before it was killed\n" << log;
        }
        rig.KillManager();

        const FolderCheck after = CheckDataFolder(rig.DataFolder());
        filesChecked += after.filesChecked;
        if (std::getenv("ZORV_KILL_VERBOSE")) {
            size_t listed = 0;
            for (const auto& [list, uuids] : after.profiles) listed += uuids.size();
            std::printf("trial %ld: killed after %lld ms, %s, %d deletes, %zu profiles listed, %d files checked, "
                        "%zu faults\n",
                        trial, static_cast<long long>(killAfter.count()), window ? "window up" : "before the window",
                        deletes, listed, after.filesChecked, after.faults.size());
            std::fflush(stdout);
        }
        for (const std::string& fault : after.faults) ADD_FAILURE() << fault;
        for (const auto& [list, uuids] : before.profiles) {
            const auto now = after.profiles.find(list);
            int gone = 0;
            for (const std::string& uuid : uuids)
                if (now == after.profiles.end() || !now->second.count(uuid)) ++gone;
            EXPECT_LE(gone, deletes) << list << ": " << gone << " profiles gone after " << deletes << " deletes";
        }
        if (HasFailure()) {
            std::printf("manager log of the failed trial:\n%s\n", ReadFile(rig.ManagerLog()).c_str());
            break;
        }
    }
    size_t profiles = 0;
    for (const auto& [list, uuids] : CheckDataFolder(rig.DataFolder()).profiles) profiles += uuids.size();
    std::printf("kill trials done: %ld files checked, %ld actions (swatch %ld, add %ld, copy %ld, delete %ld, "
                "macro %ld), %ld kills before the window was up, %zu profiles and %d macros at the end\n",
                filesChecked, clicks, actions[Action::Swatch], actions[Action::Add], actions[Action::Copy],
                actions[Action::Delete], actions[Action::Macro], killsBeforeWindow, profiles,
                MacroCount(rig.DataFolder()));
}

}  // namespace

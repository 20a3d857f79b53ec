#pragma once
// Shared lighting: every connected device shows one basic effect in step. The user shares the
// effect of the device being viewed; each registered engine takes its family's code of it and is
// marked as sharing (its command channel's stream-paused flag, which keeps its own renderer
// quiet); one thread then writes the same colour into every sharing engine's frame buffer.
// Engines join by registering under their family; nothing here names a device type.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/sharedlighting/SharedLightSteps.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

class CTorvanelUSBDevice;
class CLightControlUI;

// Families in the order the user's share reaches them.
enum class SharedFamily { Keyboard = 0, Mouse = 1, MousePad = 2, Headset = 3 };
inline constexpr int kSharedFamilyCount = 4;
inline constexpr const char kSharedLightingExitLine[] = "同步灯光线程设定退出";
inline constexpr uint32_t kSharedIdleWaitMs = 1000;
// One counter step of the thread, in ms: the step intervals count these.
inline constexpr uint32_t kSharedCounterMs = 2;

struct SharedScreen {
    int width = 0;
    int height = 0;
};

class CSharedLighting {
public:
    // Finds an engine's lighting panel; the default looks for it in the engine's page.
    using PanelLookup = std::function<CLightControlUI*(CTorvanelUSBDevice&)>;
    using TickSource = std::function<uint32_t()>;

    CSharedLighting();
    ~CSharedLighting();
    CSharedLighting(const CSharedLighting&) = delete;
    CSharedLighting& operator=(const CSharedLighting&) = delete;

    // Configuration, before the thread starts: the engine lists and light counts are fixed then.
    void Register(SharedFamily family, CTorvanelUSBDevice* engine);
    void SetPanelLookup(PanelLookup lookup) { panelLookup_ = std::move(lookup); }
    void SetClock(TickSource clock) { clock_ = std::move(clock); }

    // The user's share from the active engine (null: nothing). False when its effect cannot be
    // shared, so nothing changed.
    bool ShareActiveLighting(CTorvanelUSBDevice* active, SharedScreen screen);

    // The thread body (worker slot 8).
    void Run(const WorkerArgs& args);
    // One colour into the frame buffer of every sharing engine, connected or not.
    void SendSharedColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t level);

    // Whether some connected engine shares (what the thread looks at).
    bool AnyActive() const;
    static bool IsSharing(CTorvanelUSBDevice& engine);
    const SharedLightSettings& Settings() const { return settings_; }
    // Passes of the thread's loop, for the idle check of the tests.
    uint64_t Passes() const { return passes_.load(); }

private:
    struct Member {
        CTorvanelUSBDevice* engine = nullptr;
        int lightCount = 0;
    };
    void ShareWith(Member& member, std::array<uint8_t, 16> state, SharedScreen screen);

    std::array<std::vector<Member>, kSharedFamilyCount> families_;
    SharedLightSettings settings_;
    CSharedLightStepper stepper_;
    PanelLookup panelLookup_;
    TickSource clock_;
    std::atomic<uint64_t> passes_{0};
    Event wake_{false, false};  // auto-reset: one share, one early pass
};

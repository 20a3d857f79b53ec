#include "app/sharedlighting/SharedLighting.h"

#include "device/registry/DeviceKinds.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "engines/lighting/LightRenderer.h"
#include "panels/lighting/LightControlUI.h"
#include "panels/lighting/LightingActions.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"

namespace {

using StateBytes = std::array<uint8_t, 16>;


// The thread looks for an active engine in this order, and colours go out in the next.
constexpr SharedFamily kActiveSearchOrder[] = {SharedFamily::Mouse, SharedFamily::Keyboard, SharedFamily::MousePad,
                                               SharedFamily::Headset};
constexpr SharedFamily kColourOrder[] = {SharedFamily::Mouse, SharedFamily::MousePad, SharedFamily::Headset,
                                         SharedFamily::Keyboard};

bool Connected(const CTorvanelUSBDevice& engine) {
    return const_cast<CTorvanelUSBDevice&>(engine).CommandChannel().IsConnected();
}

}  // namespace

CSharedLighting::CSharedLighting()
    : panelLookup_([](CTorvanelUSBDevice& engine) { return FindLightingPanel(engine); }),
      clock_([] { return GetTickCount(); }) {}

CSharedLighting::~CSharedLighting() = default;

void CSharedLighting::Register(SharedFamily family, CTorvanelUSBDevice* engine) {
    if (!engine) return;
    families_[static_cast<size_t>(family)].push_back({engine, static_cast<int>(engine->Renderer().LightCount())});
}

bool CSharedLighting::IsSharing(CTorvanelUSBDevice& engine) { return engine.CommandChannel().IsStreamPaused(); }

bool CSharedLighting::ShareActiveLighting(CTorvanelUSBDevice* active, SharedScreen screen) {
    if (!active) return false;
    StateBytes state = LightStateBytes(active->GetLightState());
    const int kind = active->ConnectionKind();
    if (kind == kKindKeyboard || kind == kKindMouse || kind == kKindMousePad || kind == kKindHeadset) {
        const auto mode = SharedModeOfEffect(state[kStateEffect], kind == kKindKeyboard);
        if (!mode) {
            DebugOutput("shared lighting: effect " + std::to_string(state[kStateEffect]) + " cannot be shared");
            return false;
        }
        settings_.mode = static_cast<uint8_t>(*mode);
    }
    // Devices reached through the receiver share the mode as it was, with their own settings.
    settings_.brightness = state[kStateBrightness];
    settings_.speed = state[kStateSpeed];
    settings_.direction = state[kStateDirection];
    settings_.multicolour = state[kStateMultiColour];
    settings_.red = state[kStateRed];
    settings_.green = state[kStateGreen];
    settings_.blue = state[kStateBlue];
    const auto mode = static_cast<SharedMode>(settings_.mode.load());
    for (int family = 0; family < kSharedFamilyCount; ++family) {
        state[kStateEffect] = EffectOfSharedMode(mode, family == static_cast<int>(SharedFamily::Keyboard));
        for (Member& member : families_[family])
            if (Connected(*member.engine)) ShareWith(member, state, screen);
    }
    wake_.Set();
    return true;
}

void CSharedLighting::ShareWith(Member& member, StateBytes state, SharedScreen screen) {
    CTorvanelUSBDevice& engine = *member.engine;
    engine.CommandChannel().SetStreamPaused(true);
    if (CLightControlUI* panel = panelLookup_ ? panelLookup_(engine) : nullptr) panel->ShowLightState(state);
    engine.SetLightState(LightStateWords(state));
    engine.SaveProfile();
    engine.ApplyLighting();
    engine.WriteLightParams(0, 0, 1, screen.width, screen.height);
}

bool CSharedLighting::AnyActive() const {
    for (SharedFamily family : kActiveSearchOrder)
        for (const Member& member : families_[static_cast<size_t>(family)])
            if (Connected(*member.engine) && IsSharing(*member.engine)) return true;
    return false;
}

void CSharedLighting::SendSharedColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t level) {
    const uint32_t record = LightRecord{red, green, blue, level}.Pack();
    for (SharedFamily family : kColourOrder)
        for (const Member& member : families_[static_cast<size_t>(family)]) {
            if (!IsSharing(*member.engine)) continue;
            for (int i = 0; i < member.lightCount; ++i) member.engine->SetLightValue(i, record);
        }
}

void CSharedLighting::Run(const WorkerArgs& args) {
    uint32_t counter = 0;
    uint32_t last = clock_();
    uint32_t wait = 0;
    // Sleeps until the next step is due (or a second while nothing shares) instead of counting
    // millisecond wake-ups; the steps and their intervals stay as the counter defines them. A
    // share wakes it at once, so the shared colours start with the share.
    Event* const events[] = {args.stopEvent, &wake_};
    for (;;) {
        const int woken = Event::WaitAny(events, 2, wait);
        if (woken == 0 || woken == -2) break;
        passes_.fetch_add(1, std::memory_order_relaxed);
        if (!AnyActive()) {
            wait = kSharedIdleWaitMs;
            continue;
        }
        const uint32_t now = clock_();
        const uint32_t interval = SharedStepInterval(settings_.speed.load());
        counter += (now - last) / kSharedCounterMs;
        last = now - (now - last) % kSharedCounterMs;
        if (counter >= interval) {
            counter = 0;
            const LightRecord colour = stepper_.Step(settings_, now);
            SendSharedColour(colour.red, colour.green, colour.blue, colour.factor);
        }
        wait = (interval - counter) * kSharedCounterMs;
    }
    DebugOutput(kSharedLightingExitLine);
}

#pragma once
// The software lighting every device engine shares: the light state, the frame buffer, the basic
// effects, the reactive key state and the area-light list. The engines own one (or a subclass) and
// forward their lighting operations to it.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "engines/lighting/LightFrameBuffer.h"
#include "engines/lighting/LightFramePush.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "store/ProfileRecords.h"

using TickSource = std::function<uint32_t()>;

inline constexpr size_t kReactivePoints = 170;
inline constexpr size_t kReactiveColumns = 23;

// Byte positions of the 16-byte light state.
enum LightStateByte : size_t {
    kStateEffect = 0, kStateBrightness = 1, kStateSpeed = 2, kStateDirection = 3,
    kStateMultiColour = 4, kStateRed = 5, kStateGreen = 6, kStateBlue = 7,
    kStateAuxMode = 11, kStateCustomGroup = 12, kStatePreviousEffect = 13,
};

class CLightRenderer {
public:
    CLightRenderer();
    virtual ~CLightRenderer() = default;
    CLightRenderer(const CLightRenderer&) = delete;
    CLightRenderer& operator=(const CLightRenderer&) = delete;

    // Configuration (before any thread renders): resizes and zeroes the frame and the area list.
    void SetLightCount(size_t count);
    size_t LightCount() const { return frame_.Count(); }
    // Tests drive the blink clock and the lighting thread's clock through this.
    void SetClock(TickSource clock);
    uint32_t Now() const { return clock_(); }

    // The 16-byte light state, as four little-endian words. Written by the UI thread, read byte by
    // byte by the renderer.
    void SetLightState(const std::array<uint32_t, 4>& words);
    void SetLightState(const LightInfoRecord& record);
    std::array<uint32_t, 4> GetLightState() const;
    uint8_t StateByte(size_t index) const { return lightState_[index].load(std::memory_order_relaxed); }
    void SetStateByte(size_t index, uint8_t value) {
        if (lightState_[index].exchange(value, std::memory_order_relaxed) != value) Wake();
    }

    // The music-lighting record handed to and from the lighting panel.
    void SetAudioLight(const std::array<uint32_t, 3>& words);
    std::array<uint32_t, 3> GetAudioLight() const;

    // PushFrame does nothing while lighting is disabled.
    void SetLightingEnabled(bool enabled) { lightingEnabled_.store(enabled ? 1 : 0); }
    bool LightingEnabled() const { return lightingEnabled_.load() != 0; }

    void SetLightValue(int index, uint32_t record);
    uint32_t GetLightValue(int index) const;
    const CLightFrameBuffer& Frame() const { return frame_; }

    // Basic effects: one frame each.
    virtual void RenderBreathCycle();
    virtual void RenderBreathFourColours();
    virtual void RenderStatic();
    virtual void RenderSpectrum();
    virtual void RenderBlink();
    virtual void RenderBlinkFourColours();
    virtual void RenderOff();

    // Copies the frame to the light buttons and, unless reached through the receiver, streams it.
    // Returns the stream result (1 when nothing had to be sent).
    virtual int PushFrame(ILightFrameSink& sink, const FramePushContext& context);

    // Reactive key state.
    uint8_t StepReactive(size_t key, unsigned style);
    void TriggerReactive();
    void RotateColumns(bool direction);
    void ClearReactive();
    uint8_t Intensity(size_t point) const;
    void SetIntensity(size_t point, uint8_t value);
    uint8_t ColumnPattern(size_t column) const;
    void SetColumnPattern(size_t column, uint8_t value);

    // Area-light list, replaced whole under the area lock.
    void SetAreaLights(const std::vector<LightListEntry>& entries);
    std::vector<LightListEntry> AreaLights() const;

    CriticalSection& EffectLock() const { return effectLock_; }
    CriticalSection& AreaLock() { return areaLock_; }

    uint8_t EffectPhase() const;
    uint8_t ColourIndex() const;
    bool BlinkOn() const;

    // Who looks at the frames besides the device. A renderer whose frames nobody consumes computes
    // none; until an owner says otherwise the picture counts as shown.
    enum class FrameConsumer { Picture, SharedLighting };
    void SetFrameConsumer(FrameConsumer consumer, bool consuming);
    bool IsFrameConsumed(FrameConsumer consumer) const;
    // Changes each time the frame may have changed; the picture skips frames it has already shown.
    uint32_t FrameSerial() const { return frameSerial_.load(std::memory_order_acquire); }
    // Wakes a render thread sleeping until its next due moment (a setting or a consumer changed).
    void Wake() { wake_.Set(); }

protected:
    // The light state's fields as the renderers read them.
    uint8_t Level() const;
    bool Direction() const { return StateByte(kStateDirection) != 0; }
    bool MultiColour() const { return StateByte(kStateMultiColour) != 0; }
    Rgb StateColour() const;

    void FillAll(LightRecord record) { frame_.Fill(record); }
    void SetPoint(size_t point, Rgb colour, uint8_t factor) { frame_.SetRecord(point, LightRecord::Of(colour, factor)); }
    // Blink clock: true when the on/off flag toggled on this call.
    bool AdvanceBlinkClock(uint32_t periodMs);
    // Breath and blink over any colour table: the colour index steps by indexStep up to indexEnd.
    void RenderBreathOver(const Rgb* colours, unsigned tableSize, unsigned indexStep);
    void RenderBlinkOver(const Rgb* colours, unsigned tableSize, unsigned indexStep);

    // Guards the renderer's own state (phases, per-point arrays) between the lighting thread and
    // the UI thread's entry and reaction calls; recursive, so operations nest freely.
    mutable CriticalSection stateLock_;
    CLightFrameBuffer frame_;
    uint8_t effectPhase_ = 0;
    uint8_t colourIndex_ = 0;
    uint8_t blinkOn_ = 0;
    uint32_t lastBlinkToggle_ = 0;
    std::array<uint8_t, kReactivePoints> intensity_{};
    std::array<uint8_t, kReactiveColumns> columnPattern_{};

    void MarkFrameChanged() { frameSerial_.fetch_add(1, std::memory_order_release); }
    Event& WakeEvent() { return wake_; }

    mutable CriticalSection effectLock_;
    mutable CriticalSection areaLock_;
    std::vector<LightListEntry> areaLights_;  // under areaLock_

private:
    std::array<std::atomic<uint8_t>, 16> lightState_{};
    std::array<std::atomic<uint32_t>, 3> audioLight_{};
    std::atomic<int> lightingEnabled_{1};
    std::atomic<bool> pictureConsumer_{true};
    std::atomic<bool> sharedConsumer_{false};
    std::atomic<uint32_t> frameSerial_{0};
    Event wake_{false, false};
    TickSource clock_;
};

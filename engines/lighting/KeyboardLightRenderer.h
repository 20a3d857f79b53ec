#pragma once
// The keyboard's software lighting: steps the current effect into the frame buffer (on its own
// lighting thread), lays the area overlays over it, reacts to key presses and plays music input.
// The keyboard engine owns one and forwards to it; it pushes frames through an ILightFrameSink.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <span>
#include <vector>

#include "engines/lighting/KeyboardGeometry.h"
#include "engines/lighting/KeyboardLightingShared.h"
#include "engines/lighting/LightRenderer.h"
#include "platform/WorkerThread.h"

inline constexpr const char* kLightingThreadExitLine = "KB灯光线程设定退出";
inline constexpr uint32_t kLightingThreadStopMs = 1000;
inline constexpr size_t kSpectrumInputBytes = 100;
inline constexpr size_t kColourInputValues = 6;

// Frames streamed by the lighting thread go out at this cadence (the frame timer's 5 ms).
inline constexpr uint32_t kStreamIntervalMs = 5;
// Whole cycles of every phase and counter a renderer steps (96, 128, 192 and 256 steps): catching
// up this many steps, or any multiple, leaves an effect where it would have been.
inline constexpr uint32_t kCatchUpCycle = 768;

// What the lighting thread asks of the engine's command channel.
struct LightingThreadLink {
    std::function<bool()> connected;
    std::function<bool()> streamPaused;  // may be empty: never paused
    // The device takes streamed frames (a direct connection); may be empty: it does not.
    std::function<bool()> streamTarget = {};
    // Sends one device frame (StreamLightFrame of the channel); 1 on success.
    std::function<int(const DeviceLightFrame&)> stream = {};
};

class CKeyboardLightRenderer : public CLightRenderer {
public:
    using RandomSource = std::function<uint32_t()>;
    enum ColumnSet : size_t { kColumnsA, kColumnsB, kColumnsC, kColumnsD };

    explicit CKeyboardLightRenderer(uint16_t productId = 0x5062, CKeyboardLightingShared* shared = nullptr);
    ~CKeyboardLightRenderer() override;

    void SetProductId(uint16_t productId);
    const KeyboardModelGeometry& Geometry() const { return *geometry_; }
    void SetRandomSource(RandomSource source);
    // The device's key maps after a read-all: key number to device key position and to device
    // light position (255 = none), and the device's key count N.
    void SetKeyMaps(const std::map<int, int>& keyToPosition, const std::map<int, int>& keyToLight,
                    size_t deviceKeyCount);
    // While the shared-lighting thread owns the frame buffer the lighting thread renders nothing.
    void SetSharedLighting(bool sharing) {
        sharedLighting_.store(sharing);
        Wake();
    }

    // Lighting thread; a running one is stopped first.
    void StartLightingThread(LightingThreadLink link);
    WorkerStopOutcome StopLightingThread();
    bool LightingThreadRunning() const { return thread_.Running(); }
    // The lighting thread is streaming frames to the device (and the device answering each).
    bool IsStreaming() const { return streaming_.load(std::memory_order_relaxed); }
    // One pass of the thread body at the given tick count: count 2 ms ticks, step the current
    // effect when its wait is over, then lay the area overlays over the frame.
    void LightingPass(uint32_t now);
    // The ticks that passes at every millisecond before now would have counted (a thread that
    // slept until its due moment calls this before its pass).
    void CountTicksBefore(uint32_t now);
    // Milliseconds from now until a pass would change the frame: 0 when one is due, 1 for the
    // effects and overlays that step on every pass, INFINITE when no pass renders anything.
    uint32_t NextPassDelay(uint32_t now);
    // The steps the current effect would have made in elapsedMs while nobody looked at it, so that
    // a picture shown again picks up at the right phase; restarts the tick count at now.
    void CatchUp(uint32_t elapsedMs, uint32_t now);
    // The frame of the streamed effects (26 and 27), as the device takes it.
    DeviceLightFrame DeviceFrame() const;
    // Whether the current effect is one the program streams to the device.
    bool StreamsCurrentEffect() const;

    // An effect change: ResetEffectState, then the effect's entry operation.
    void EnterEffect(uint8_t effect);
    // Part of applying the lighting: restarts the effect phase (and the sweep's colour indexes).
    void RestartEffectPhase();
    // Replaces the user effect frames and restarts them at frame 0.
    void SetUserEffectFrames(const std::vector<LedEffectFrame>& frames);
    // The custom colour frame (effect 20): raw colours through the key-to-light map, 3 × map size.
    DeviceLightFrame CustomColourFrame() const;

    void RenderBreathCycle() override;
    void RenderStatic() override;
    int PushFrame(ILightFrameSink& sink, const FramePushContext& context) override;

    // Keyboard operations, in slot order (ReactColumn fills two slots with one operation).
    void ResetEffectState();
    void MarkColumnKeys();
    void ShiftColumns();
    void ClearColumns();
    void OnKeyEvent(int position, int state);
    void StartKeyReaction(size_t key, int state);
    void RenderWaveColumns();
    void RenderWaveRows();
    void RenderWaveOrder();
    void RenderSnake();
    void EnterTwinkle();
    void RenderTwinkle();
    void RenderRandomBursts();
    void EnterBreathKeys();
    void RenderBreathKeys();
    void RenderCustom();
    uint8_t FindKeyByLight(unsigned point) const;
    void RenderWaveMatrix();
    void RenderWaveColumnsFast();
    void EnterSideRipple();
    void RenderSideRipple();
    void RenderPresetColour();
    void RenderColumnGradient();
    void RenderKeyPressFade();
    void RenderReactive();
    void ClearAudioState();
    void RenderMusic();
    void MusicStyle0();
    void MusicStyle5();
    void MusicStyle7();
    void MusicStyle1();
    void MusicStyle3();
    void MusicStyle4();
    void MusicStyle8();
    void MusicStyle6();
    void MusicStyle2();
    void RenderAudioColour();
    void ReactColumn(size_t key, int state);
    void RenderColumnReaction();
    void RenderSweep();
    void ReactKeyGlow(size_t key, int state);
    void RenderKeyGlow();
    void ReactKey33(size_t key, int state);
    bool IsNeighbourHeld(int column, int row, size_t key) const;
    void EnterDefault();
    void RenderSpectrumKeys();
    void EnterSideWave();
    void RenderSideWave();
    void RenderMode14();
    void RenderColumnReaction9();

    // Music input from the audio capture link: 25 band levels as 32-bit words, six colour values.
    void FeedAudioSpectrum(std::span<const uint8_t> bands, int count);
    void FeedAudioPeaks(std::span<const uint32_t> values, int count);

    // The user effect player and the area overlays (one pass each).
    void PlayUserEffect(uint32_t now);
    void RunAreaOverlays(uint32_t now);

    // Renderer state, for the engine's and the tests' inspection.
    uint8_t PointColourIndex(size_t point) const;
    void SetPointColourIndex(size_t point, uint8_t value);
    uint8_t TwinklePhase(size_t point) const;
    uint8_t ReactionState(size_t point) const;
    uint8_t HeldFlag(size_t point) const;
    uint8_t ColumnBits(ColumnSet set, size_t column) const;
    void SetColumnBits(ColumnSet set, size_t column, uint8_t bits);
    uint8_t StepCounter() const;
    uint8_t BandOffset() const;
    void SetEffectPhase(uint8_t phase);
    size_t UserFrameIndex() const;
    std::array<uint8_t, kSpectrumInputBytes> SpectrumInput() const;
    std::array<uint32_t, kColourInputValues> ColourInput() const;

private:
    struct CellRef { int column; int row; };
    static constexpr size_t kPoints = kReactivePoints;

    uint8_t CurrentEffect() const { return StateByte(kStateEffect); }
    Rgb PointColour(size_t point) const;
    void ShowPoint(size_t point, Rgb colour, uint8_t factor) { SetPoint(point, colour, factor); }
    void ShowByIntensity(size_t point);
    uint8_t RandomColourIndex();
    void LightPoint(size_t point);  // intensity 255, and a random colour with the multicolour flag
    void DecayAndShow(size_t point, unsigned style);
    void SetColumnBit(size_t column, unsigned row);
    uint8_t ColumnsAt(size_t column) const;
    // First column-map cell that holds the point; false when none does.
    static bool FindCell(size_t point, CellRef& cell);

    void RunLightingThread(const WorkerArgs& args, const LightingThreadLink& link);
    bool AreaOverlaysAnimate() const;

    // Music helpers (KeyboardMusicEffects.cpp).
    struct MusicColours;
    std::array<int32_t, 25> TakeBands(bool clearInput);
    MusicColours AudioColours() const;
    bool Holds(int column, int row) const;
    void MusicDecay(size_t point) { StepReactive(point, 26); }
    void MusicShow(size_t point, bool lit, Rgb foreground, const MusicColours& colours);

    const KeyboardModelGeometry* geometry_;
    CKeyboardLightingShared* shared_;
    RandomSource random_;
    std::minstd_rand defaultRandom_;
    std::atomic<bool> sharedLighting_{false};
    std::atomic<bool> streaming_{false};

    // Under stateLock_.
    std::map<int, int> keyToPosition_;
    std::map<int, int> keyToLight_;
    size_t deviceKeyCount_ = 0;
    std::array<uint8_t, kPoints> colourIndexes_{};
    std::array<uint8_t, kPoints> twinklePhases_{};
    std::array<uint8_t, kPoints> reactionStates_{};
    std::array<uint8_t, kPoints> heldFlags_{};
    std::array<std::array<uint8_t, kMapColumns>, 4> columns_{};
    uint8_t bandOffset_ = 0;
    uint8_t stepCounter_ = 0;
    uint8_t style0Calls_ = 0;
    uint8_t style4Calls_ = 0;
    std::array<uint8_t, kSpectrumInputBytes> spectrumInput_{};
    std::array<uint32_t, kColourInputValues> colourInput_{};
    // Music work areas: area 0 holds the per-column drop latches of music style 4.
    std::array<std::array<uint8_t, 100>, 4> musicWork_{};
    uint32_t tickStart_ = 0;
    uint32_t ticks_ = 0;
    // The frame as it was when its serial last changed (whoever runs the passes).
    std::vector<uint32_t> markedFrame_;

    // Under effectLock_.
    std::vector<LedEffectFrame> userFrames_;
    size_t userFrameIndex_ = 0;

    WorkerThread thread_;
};

#pragma once
// The software lighting of the lit accessories (headset and mouse pad): the effect-0, effect-6
// and effect-7 frames, the user-effect step, and the preview thread that computes the frames and
// streams them to the device while the program controls the lights.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "engines/lighting/LightRenderer.h"
#include "platform/WorkerThread.h"

inline constexpr const char* kPreviewThreadExitLine = "MS灯光线程设定退出";
inline constexpr uint32_t kPreviewThreadStopMs = 1000;

// Breathing curve of the accessories: 48 rising values, then the same falling.
inline constexpr std::array<uint8_t, 48> kAccessoryBreathRise = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// Counter steps between two frames, by speed 0..4 (the same for every effect).
inline constexpr std::array<uint8_t, 5> kAccessoryFrameSteps = {28, 23, 18, 13, 7};

// The headset walks its effect-0 wave in its own steps; the pad walks the mouse's.
enum class WaveStyle { Headset, Pad };

struct PreviewLink {
    std::function<bool()> connected;
    std::function<bool()> paused;        // the channel's stream pause flag
    std::function<bool()> streaming;     // the program controls the lights and the device takes frames
    std::function<void()> stream;        // sends the current frame to the device (worker thread)
};

class CAccessoryLightRenderer : public CLightRenderer {
public:
    explicit CAccessoryLightRenderer(WaveStyle style);
    ~CAccessoryLightRenderer() override;

    // Own frames.
    void RenderWave();        // effect 0
    void RenderRunningPairs();  // effect 7: zone pairs (1, 14) … (7, 8) from the first eight levels
    void RenderRunningZones();  // effect 6: every zone from its own level
    // Effects 5 and 9 and above: the user-made frames shown in turn, each for its Time.
    void SetUserFrames(const std::vector<LedEffectFrame>& frames);
    void StepUserFrames();
    // Every zone whose key-light flag is set lights up fully (all zones, not just the first nine).
    void TriggerAllZones();
    // A new effect starts its animation from the beginning.
    void EnterEffect(uint8_t effect);
    // Renders the frame of the current effect (one counter period elapsed).
    void RenderCurrentEffect();

    // Counter steps between frames at the current speed, and the pass time of the preview thread.
    uint32_t FrameSteps() const;
    static constexpr uint32_t kPassMs = 2;  // 1 ms wait on the stop event + 1 ms sleep

    void StartPreview(PreviewLink link);
    void StopPreview();
    bool PreviewRunning() const { return thread_.Running(); }
    uint32_t FramesRendered() const { return framesRendered_.load(); }

private:
    void RunPreview(const WorkerArgs& args, const PreviewLink& link);
    bool AnimatesEveryPass() const;
    void RenderZonesFromLevels(bool pairs);

    const WaveStyle style_;
    uint32_t frameCounter_ = 0;  // under stateLock_
    std::vector<LedEffectFrame> userFrames_;  // under stateLock_
    size_t userIndex_ = 0;
    uint32_t userShownAt_ = 0;
    bool userStarted_ = false;
    std::atomic<uint32_t> framesRendered_{0};
    WorkerThread thread_;
};

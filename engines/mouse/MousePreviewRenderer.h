#pragma once
// The light-zone preview of the mouse page: the mouse's own breathing (effect 0) and wave
// (effect 5) frames, the base frames for the other stock effects and the player of a user-made
// effect's entry list. It only paints the page; nothing of it goes to the mouse.
#include <array>
#include <cstdint>
#include <vector>

#include "engines/lighting/LightRenderer.h"
#include "platform/Event.h"
#include "store/ProfileRecords.h"

// One counter step of the preview clock. The frame interval of an effect is a number of steps.
inline constexpr uint32_t kMousePreviewStepMs = 2;

class CMousePreviewRenderer : public CLightRenderer {
public:
    // What a frame is drawn with: the page's light state, or a user effect's entry.
    struct Look {
        uint8_t effect = 0;
        uint8_t brightness = 0;
        uint8_t speed = 0;
        bool direction = false;
        bool multiColour = false;
        Rgb colour{};
    };

    // Computes the frame of the current effect. Returns the milliseconds until the next frame is due.
    uint32_t RenderNext();
    // The user effect's entries (effects 9 and above); an empty list shows the zones dark.
    void SetUserEffect(const std::vector<LedEffectFrame>& entries);
    // Resets the phases and the user effect's position (a new effect starts from its beginning).
    void Restart();
    Event& WakeSignal() { return WakeEvent(); }

    void RenderBreathing(const Look& look);  // effect 0
    void RenderWave(const Look& look);       // effect 5

private:
    Look PageLook() const;
    void RenderStock(uint8_t effect);
    void RenderUserEntry(const LedEffectFrame& entry);

    uint8_t phase_ = 0;
    std::vector<LedEffectFrame> userEntries_;  // under the effect lock
    size_t userIndex_ = 0;
    uint32_t userEntryStart_ = 0;
    bool userStarted_ = false;
};

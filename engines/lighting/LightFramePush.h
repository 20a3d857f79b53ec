#pragma once
// What a frame push hands to the page and the device. The engine implements the sink (buttons,
// command channel); the byte layout of the device frames is decided here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>

#include "engines/lighting/LightFrameBuffer.h"

inline constexpr size_t kDeviceFrameBytes = 512;
// A failed frame push pauses the caller's frame cadence (a timer or a worker, never by blocking
// the UI thread), so that a missing device does not turn it into a busy loop.
inline constexpr uint32_t kFailedPushPauseMs = 200;

struct DeviceLightFrame {
    std::array<uint8_t, kDeviceFrameBytes> bytes{};
    size_t length = 0;  // bytes to send
};

class ILightFrameSink {
public:
    virtual ~ILightFrameSink() = default;
    virtual bool LightButtonExists(size_t index) const = 0;
    virtual bool LightButtonVisible(size_t index) const = 0;
    // colour is packed red + blue × 256 + green × 65536, as the buttons take it.
    virtual void ShowLightButton(size_t index, uint32_t colour, uint8_t brightness, bool visible) = 0;
    // StreamLightFrame of the command channel: 1 on success.
    virtual int StreamLightFrame(const uint8_t* bytes, size_t length) = 0;
};

struct FramePushContext {
    bool throughReceiver = false;
    int functionPage = 1;  // the keyboard shows its frame on the buttons only on page 1
    bool showOnPage = true;  // false: the frame only goes to the device (window hidden, or not yet due)
    bool toDevice = true;    // false: the frame only goes to the page (a worker streams it)
};

constexpr uint32_t ButtonColour(LightRecord record) {
    return uint32_t(record.red) + uint32_t(record.blue) * 256u + uint32_t(record.green) * 65536u;
}

// Point i at bytes 3i (point 170 is never sent); light count × 3 bytes, at most the frame size.
DeviceLightFrame BuildPointFrame(const CLightFrameBuffer& frame);

// Key k's point at 3 × keyToLight[k] for the keys below deviceKeyCount with a light (not 255);
// light positions whose bytes would lie outside the frame are dropped. With scaled, each channel
// is multiplied by the point's factor / 256 (light frames); without, raw colours (custom colours).
DeviceLightFrame BuildKeyFrame(const CLightFrameBuffer& frame, const std::map<int, int>& keyToLight,
                               size_t deviceKeyCount, size_t length, bool scaled);

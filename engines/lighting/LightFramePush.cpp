#include "engines/lighting/LightFramePush.h"

#include <algorithm>

#include "engines/lighting/LightingTables.h"

namespace {

void PutPoint(DeviceLightFrame& out, size_t at, LightRecord record, bool scaled) {
    if (at + 3 > kDeviceFrameBytes) return;
    out.bytes[at] = scaled ? lighting::Scale(record.red, record.factor) : record.red;
    out.bytes[at + 1] = scaled ? lighting::Scale(record.green, record.factor) : record.green;
    out.bytes[at + 2] = scaled ? lighting::Scale(record.blue, record.factor) : record.blue;
}

}  // namespace

DeviceLightFrame BuildPointFrame(const CLightFrameBuffer& frame) {
    DeviceLightFrame out;
    for (size_t i = 0; i < frame.Count(); ++i) {
        if (i != 170) PutPoint(out, 3 * i, frame.Record(i), true);
    }
    out.length = std::min(frame.Count() * 3, kDeviceFrameBytes);
    return out;
}

DeviceLightFrame BuildKeyFrame(const CLightFrameBuffer& frame, const std::map<int, int>& keyToLight,
                               size_t deviceKeyCount, size_t length, bool scaled) {
    DeviceLightFrame out;
    for (const auto& [key, light] : keyToLight) {
        if (key < 0 || size_t(key) >= deviceKeyCount || light < 0 || light == 255) continue;
        PutPoint(out, 3 * size_t(light), frame.Record(size_t(key)), scaled);
    }
    out.length = std::min(length, kDeviceFrameBytes);
    return out;
}

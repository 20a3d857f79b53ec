// The capture program's data copies as any other program could send them: the first byte picks
// the data id, the rest is the payload. Decoding and reduction never fail on any bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/music/CaptureData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static CAudioBandReducer reducer;  // kept across inputs, as the main window keeps it
    const std::span<const uint8_t> payload(data + 1, size - 1);
    if (data[0] & 1) {
        if (const auto bands = reducer.Reduce(payload)) {
            for (size_t band = 0; band < kMusicBands; ++band)
                if (static_cast<int32_t>(capture::GetWord(&bands->means[band * 4])) < 0) __builtin_trap();
        } else if (payload.size() >= capture::kSpectrumBytes) {
            __builtin_trap();
        }
    } else if (DecodePeakValues(payload).has_value() != (payload.size() >= capture::kPeakBytes)) {
        __builtin_trap();
    }
    return 0;
}

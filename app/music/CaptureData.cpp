#include "app/music/CaptureData.h"

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace capture;

std::optional<PeakValues> DecodePeakValues(std::span<const uint8_t> bytes) {
    if (bytes.size() < kPeakBytes) return std::nullopt;
    PeakValues values{};
    for (size_t i = 0; i < kPeakValues; ++i) values[i] = GetWord(&bytes[i * 4]);
    return values;
}

std::optional<CAudioBandReducer::Bands> CAudioBandReducer::Reduce(std::span<const uint8_t> bytes) {
    if (bytes.size() < kSpectrumBytes) return std::nullopt;
    // 64-bit differences: any two 32-bit values differ by less than 2^32, so nothing overflows.
    std::array<int64_t, kSpectrumValues> differences{};
    for (size_t i = 0; i < kSpectrumValues; ++i) {
        const int32_t value = static_cast<int32_t>(GetWord(&bytes[i * 4]));
        differences[i] = std::llabs(int64_t(value) - int64_t(previous_[i]));
        previous_[i] = value;
    }
    Bands bands;
    for (size_t band = 0; band < kMusicBands; ++band) {
        const int64_t* values = &differences[band * kValuesPerBand];
        int64_t sum = 0;
        for (size_t i = 0; i < kValuesPerBand; ++i) sum += values[i];
        const int64_t mean = sum / int64_t(kValuesPerBand);
        double squares = 0;
        for (size_t i = 0; i < kValuesPerBand; ++i) squares += double(values[i] - mean) * double(values[i] - mean);
        bands.deviations[band] = static_cast<uint32_t>(std::min(std::sqrt(squares / double(kValuesPerBand - 1)), 4294967295.0));
        // The keyboards read the means as signed words: a mean beyond that range is capped.
        const int64_t capped = std::min<int64_t>(mean, std::numeric_limits<int32_t>::max());
        PutWord(&bands.means[band * 4], static_cast<uint32_t>(capped));
    }
    return bands;
}

#pragma once
// What the capture program's data copies carry, checked and reduced for the keyboards: the 500
// spectrum values become 25 band means of the frame-to-frame differences; the six peak values
// are passed on as they are.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "app/music/CaptureProtocol.h"

inline constexpr size_t kMusicBands = 25;
inline constexpr size_t kValuesPerBand = capture::kSpectrumValues / kMusicBands;
// What FeedAudioSpectrum takes: the band means as 32-bit words at the start of a zeroed buffer.
inline constexpr size_t kBandBufferBytes = 100;
inline constexpr int kBandBufferCount = 500;
using BandBuffer = std::array<uint8_t, kBandBufferBytes>;
using PeakValues = std::array<uint32_t, capture::kPeakValues>;

// The six values of data copy 2; nothing for a payload shorter than 24 bytes (longer ones are cut).
std::optional<PeakValues> DecodePeakValues(std::span<const uint8_t> bytes);

class CAudioBandReducer {
public:
    struct Bands {
        BandBuffer means{};
        std::array<uint32_t, kMusicBands> deviations{};  // kept for inspection, not used further
    };

    // Data copy 1: nothing for a payload shorter than 2000 bytes (longer ones are cut). The frame
    // becomes the previous one for the next call.
    std::optional<Bands> Reduce(std::span<const uint8_t> bytes);
    void Forget() { previous_.fill(0); }

private:
    std::array<int32_t, capture::kSpectrumValues> previous_{};
};

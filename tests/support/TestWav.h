#pragma once
// WAV files made by tests: silence and beats (bursts of noise) at 44.1 kHz, 16-bit mono.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace testsupport {

inline constexpr uint32_t kTestWavRate = 44100;

struct WavPart {
    int milliseconds = 0;
    double amplitude = 0;  // 0: silence; otherwise uniform noise of this peak amplitude (0 to 1)
};

inline std::vector<int16_t> MakeSamples(const std::vector<WavPart>& parts) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<int16_t> samples;
    for (const WavPart& part : parts) {
        const size_t count = size_t(part.milliseconds) * kTestWavRate / 1000;
        for (size_t i = 0; i < count; ++i)
            samples.push_back(static_cast<int16_t>(part.amplitude * noise(random) * 32767.0));
    }
    return samples;
}

inline void WriteWav(const std::filesystem::path& path, const std::vector<int16_t>& samples) {
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&out](uint32_t v) { for (int i = 0; i < 4; ++i) out.put(char(v >> (8 * i))); };
    auto u16 = [&out](uint16_t v) { out.put(char(v)); out.put(char(v >> 8)); };
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kTestWavRate);
    u32(kTestWavRate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (int16_t s : samples) u16(static_cast<uint16_t>(s));
}

inline void WriteWav(const std::filesystem::path& path, const std::vector<WavPart>& parts) {
    WriteWav(path, MakeSamples(parts));
}

}  // namespace testsupport

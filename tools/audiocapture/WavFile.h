#pragma once
// RIFF/WAVE files with PCM samples of 8, 16, 24 or 32 bits or 32-bit floats, any channel count,
// mixed down to mono floats.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct WavAudio {
    uint32_t sampleRate = 0;
    std::vector<float> samples;  // mono, -1 to 1
};

// False with a reason for a file that is missing, not a WAVE file or in an unsupported format.
bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error);
bool ParseWav(std::span<const uint8_t> bytes, WavAudio& audio, std::string& error);

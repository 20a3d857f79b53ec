#include "tools/audiocapture/WavFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// An hour of 48 kHz stereo float: nothing a test or demo needs comes near it.
constexpr size_t kMaxWavBytes = 48000u * 3600u * 8u;

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

float SampleAt(const uint8_t* p, uint16_t format, uint16_t bits) {
    if (format == kFormatFloat) {
        float value;
        std::memcpy(&value, p, 4);
        return value == value ? value : 0.f;  // NaN counts as silence
    }
    switch (bits) {
    case 8: return (float(p[0]) - 128.f) / 128.f;
    case 16: return float(int16_t(U16(p))) / 32768.f;
    case 24: return float(int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8) / 8388608.f;
    default: return float(int32_t(U32(p))) / 2147483648.f;
    }
}
}  // namespace

bool ParseWav(std::span<const uint8_t> bytes, WavAudio& audio, std::string& error) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        const size_t size = U32(chunk + 4);
        const size_t body = pos + 8;
        const size_t available = bytes.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || available < 16) break;
            format = U16(chunk + 8);
            channels = U16(chunk + 10);
            rate = U32(chunk + 12);
            bits = U16(chunk + 22);
            if (format == kFormatExtensible && size >= 26 && available >= 26) format = U16(chunk + 32);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) break;
            const bool pcm = format == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
            const bool flt = format == kFormatFloat && bits == 32;
            if (!(pcm || flt) || channels == 0 || rate < 8000 || rate > 192000) {
                error = "unsupported WAVE format (PCM 8/16/24/32 bits or 32-bit float, 8 to 192 kHz)";
                return false;
            }
            const size_t frameBytes = size_t(channels) * (bits / 8);
            const size_t frames = std::min(size, available) / frameBytes;
            audio.sampleRate = rate;
            audio.samples.assign(frames, 0.f);
            for (size_t f = 0; f < frames; ++f) {
                float sum = 0;
                for (uint16_t c = 0; c < channels; ++c)
                    sum += SampleAt(bytes.data() + body + f * frameBytes + c * (bits / 8), format, bits);
                audio.samples[f] = sum / float(channels);
            }
            return true;
        }
        if (size > available) break;
        pos = body + size + (size & 1);  // chunks are padded to even sizes
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

bool ReadWavFile(const std::string& path, WavAudio& audio, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0 || static_cast<size_t>(size) > kMaxWavBytes) {
        error = "file too large or unreadable: " + path;
        return false;
    }
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = "cannot read " + path;
        return false;
    }
    return ParseWav(bytes, audio, error);
}

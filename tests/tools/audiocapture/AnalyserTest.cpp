// The capture program's own parts: WAV files of every supported kind (and the ones refused), and
// the analysis that turns samples into spectrum and colour frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "tools/audiocapture/SpectrumAnalyser.h"
#include "tools/audiocapture/WavFile.h"

using namespace capture;

namespace {

// A RIFF/WAVE image with one fmt chunk and one data chunk.
std::vector<uint8_t> WavBytes(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits,
                              const std::vector<uint8_t>& data, bool extensible = false) {
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t v, int n) { for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i))); };
    auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
    const uint32_t fmtSize = extensible ? 40 : 16;
    tag("RIFF");
    put(4 + 8 + fmtSize + 8 + uint32_t(data.size()), 4);
    tag("WAVE");
    tag("fmt ");
    put(fmtSize, 4);
    put(extensible ? 0xFFFE : format, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    if (extensible) {
        put(22, 2);
        put(bits, 2);
        put(0, 4);
        put(format, 2);
        for (int i = 0; i < 14; ++i) out.push_back(0);
    }
    tag("data");
    put(uint32_t(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(WavFileTest, EverySupportedFormatMixesDownToMonoFloats) {
    float half = 0.5f, quarter = -0.25f;
    std::vector<uint8_t> floats(8);
    std::memcpy(&floats[0], &half, 4);
    std::memcpy(&floats[4], &quarter, 4);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        float first;
    } cases[] = {
        {"16-bit stereo", WavBytes(1, 2, 44100, 16, {0x00, 0x40, 0x00, 0x00}), 0.25f},  // (0.5 + 0) / 2
        {"8-bit mono", WavBytes(1, 1, 8000, 8, {192}), 0.5f},
        {"24-bit mono", WavBytes(1, 1, 48000, 24, {0x00, 0x00, 0xC0}), -0.5f},
        {"32-bit mono", WavBytes(1, 1, 48000, 32, {0, 0, 0, 0x40}), 0.5f},
        {"float stereo", WavBytes(3, 2, 96000, 32, floats), 0.125f},
        {"extensible 16-bit", WavBytes(1, 1, 22050, 16, {0x00, 0xC0}, true), -0.5f},
    };
    for (const auto& c : cases) {
        WavAudio audio;
        std::string error;
        ASSERT_TRUE(ParseWav(c.bytes, audio, error)) << c.what << ": " << error;
        ASSERT_EQ(audio.samples.size(), 1u) << c.what;
        EXPECT_NEAR(audio.samples[0], c.first, 1e-4) << c.what;
    }
}

TEST(WavFileTest, RefusedFilesSayWhy) {
    std::vector<uint8_t> noData = WavBytes(1, 1, 44100, 16, {});
    noData.resize(noData.size() - 8);  // the data chunk header cut off
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"text", {'h', 'e', 'l', 'l', 'o'}, "not a RIFF/WAVE file"},
        {"A-law", WavBytes(6, 1, 8000, 8, {1, 2}), "unsupported WAVE format"},
        {"12-bit", WavBytes(1, 1, 44100, 12, {1, 2}), "unsupported WAVE format"},
        {"no channels", WavBytes(1, 0, 44100, 16, {1, 2}), "unsupported WAVE format"},
        {"a rate of 1 Hz", WavBytes(1, 1, 1, 16, {1, 2}), "unsupported WAVE format"},
        {"no data chunk", noData, "no data chunk"},
    };
    for (const auto& c : cases) {
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(ParseWav(c.bytes, audio, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
    WavAudio audio;
    std::string error;
    EXPECT_FALSE(ReadWavFile("/nonexistent/file.wav", audio, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(WavFileTest, ADataChunkLongerThanTheFileGivesWhatIsThere) {
    std::vector<uint8_t> bytes = WavBytes(1, 1, 44100, 16, {0x00, 0x40, 0x00, 0x40, 0x00});
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(ParseWav(bytes, audio, error)) << error;
    EXPECT_EQ(audio.samples.size(), 2u);  // the odd byte is no whole sample
}

std::vector<CaptureFrame> Analyse(const std::vector<float>& samples, uint32_t r = 9, uint32_t g = 0, uint32_t b = 0) {
    std::vector<CaptureFrame> frames;
    CSpectrumAnalyser analyser([&frames](const CaptureFrame& frame) { frames.push_back(frame); });
    analyser.SetStyleColour(r, g, b);
    analyser.Push(samples);
    return frames;
}

std::vector<float> Sine(size_t count, double bin, double amplitude) {
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = float(amplitude * std::sin(2 * std::numbers::pi * bin * double(i) / CSpectrumAnalyser::kWindow));
    return samples;
}

TEST(SpectrumAnalyserTest, OneFramePerHopOnceTheWindowIsFull) {
    EXPECT_EQ(Analyse(std::vector<float>(CSpectrumAnalyser::kWindow - 1)).size(), 0u);
    EXPECT_EQ(Analyse(std::vector<float>(CSpectrumAnalyser::kWindow)).size(), 1u);
    EXPECT_EQ(Analyse(std::vector<float>(CSpectrumAnalyser::kWindow + 3 * CSpectrumAnalyser::kHop)).size(), 4u);
}

TEST(SpectrumAnalyserTest, SilenceIsAllZerosAndAFullScaleToneStandsAtItsBin) {
    const auto quiet = Analyse(std::vector<float>(CSpectrumAnalyser::kWindow));
    ASSERT_EQ(quiet.size(), 1u);
    for (uint32_t value : quiet[0].spectrum) EXPECT_EQ(value, 0u);
    for (uint32_t value : quiet[0].peaks) EXPECT_EQ(value, 0u);

    const auto tone = Analyse(Sine(CSpectrumAnalyser::kWindow, 40, 1.0));
    ASSERT_EQ(tone.size(), 1u);
    // Bin 40 is value 39 (the first value is bin 1); 0 dB is (0 + 70) x 30.
    EXPECT_EQ(tone[0].peaks[kPeakBin], 39u);
    EXPECT_NEAR(double(tone[0].spectrum[39]), 2100.0, 30.0);
    EXPECT_EQ(tone[0].peaks[kPeakBinValue], tone[0].spectrum[39]);
    EXPECT_LT(tone[0].spectrum[200], 300u) << "far from the tone the spectrum is low";
}

TEST(SpectrumAnalyserTest, TheStyleColourFollowsTheLevelAndFadesAfterASound) {
    std::vector<float> samples = Sine(CSpectrumAnalyser::kWindow, 40, 1.0);
    samples.resize(samples.size() + 40 * CSpectrumAnalyser::kHop, 0.f);
    const auto frames = Analyse(samples, 9, 1, 3);
    ASSERT_GT(frames.size(), 25u);
    const auto& loud = frames[0].peaks;
    EXPECT_GT(loud[kPeakLevel], 230u);
    EXPECT_NEAR(double(loud[kPeakRed]), 255.0 * loud[kPeakLevel] / 255.0, 2.0);
    EXPECT_NEAR(double(loud[kPeakGreen]), 28.0 * loud[kPeakLevel] / 255.0, 2.0);  // 1 of 9
    EXPECT_NEAR(double(loud[kPeakBlue]), 85.0 * loud[kPeakLevel] / 255.0, 2.0);   // 3 of 9
    for (size_t i = 2; i < frames.size(); ++i)
        EXPECT_LE(frames[i].peaks[kPeakLevel], frames[i - 1].peaks[kPeakLevel]) << "fades, frame " << i;
    EXPECT_EQ(frames.back().peaks[kPeakRed], 0u);
}

TEST(SpectrumAnalyserTest, ComponentsAboveNineCountAsNine) {
    const auto frames = Analyse(Sine(CSpectrumAnalyser::kWindow, 10, 1.0), 200, 9, 0);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].peaks[kPeakRed], frames[0].peaks[kPeakGreen]);
}

TEST(SpectrumValueTest, ThirtyPerDecibelAboveSeventyBelowFullScale) {
    EXPECT_EQ(SpectrumValueOf(0.f), 0u);
    EXPECT_EQ(SpectrumValueOf(-1.f), 0u);
    EXPECT_EQ(SpectrumValueOf(std::nanf("")), 0u);
    EXPECT_EQ(SpectrumValueOf(1e-4f), 0u);  // -80 dB
    EXPECT_NEAR(double(SpectrumValueOf(0.1f)), 1500.0, 1.0);  // -20 dB
    EXPECT_EQ(SpectrumValueOf(1e6f), kMaxSpectrumValue);
}

}  // namespace

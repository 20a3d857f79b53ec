#pragma once
// The contract between the main window and the audio capture program "VavozAzazoz" (docs/ipc.md,
// "Audio capture"). Header-only, so that the capture program speaks it without linking the UI.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace capture {

inline constexpr const char kAppName[] = "Zorv Wired Manager 1.0";
// Names made from the application name with a suffix appended directly.
inline std::string WindowClass() { return std::string(kAppName) + "AudioRecord"; }
inline std::string WindowTitle() { return std::string(kAppName) + "AUDIORECORD"; }
inline std::string MutexName() { return std::string(kAppName) + "AudioRecord"; }
inline constexpr const char kProgramName[] = "VavozAzazoz";
// The registered string of UWM_AUDIO_RECORD_CONTROL.
inline constexpr const char kControlMessage[] = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

// Control codes (wParam of the control message).
enum ControlCode : uint64_t {
    kLink = 0,          // lParam: the main window handle the frames go to
    kStartSending = 1,  // open the input if needed and send frames
    kStopSending = 2,
    kResetAnalysis = 3,  // forget the previous frame and the level envelope
    kCloseInput = 4,     // release the sound server stream (or the WAV file pacing)
    kQuit = 5,
};
inline constexpr uint64_t kLastControlCode = kQuit;

// Data copies.
inline constexpr uint64_t kSpectrumDataId = 1;
inline constexpr size_t kSpectrumValues = 500;
inline constexpr size_t kSpectrumBytes = kSpectrumValues * 4;
inline constexpr uint64_t kPeakDataId = 2;
inline constexpr size_t kPeakValues = 6;
inline constexpr size_t kPeakBytes = kPeakValues * 4;
inline constexpr uint64_t kStyleDataId = 10;
inline constexpr size_t kStyleBytes = 40;

// Meaning of the six peak values.
enum PeakValue : size_t { kPeakRed = 0, kPeakGreen = 1, kPeakBlue = 2, kPeakLevel = 3, kPeakBin = 4, kPeakBinValue = 5 };

// Spectrum values: 30 per dB above -70 dB of a full-scale sine in that bin, at most kMaxSpectrumValue.
inline constexpr int kSpectrumUnitsPerDb = 30;
inline constexpr int kSpectrumFloorDb = -70;
inline constexpr uint32_t kMaxSpectrumValue = 3000;
// Style colour components run 0 to 9; the peak colour scales them to 0 to 255.
inline constexpr uint32_t kMaxStyleComponent = 9;

inline void PutWord(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline uint32_t GetWord(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// The 40-byte style record: R, G, B as 32-bit words, the rest zero.
inline std::array<uint8_t, kStyleBytes> StyleRecord(uint32_t red, uint32_t green, uint32_t blue) {
    std::array<uint8_t, kStyleBytes> bytes{};
    PutWord(&bytes[0], red);
    PutWord(&bytes[4], green);
    PutWord(&bytes[8], blue);
    return bytes;
}

}  // namespace capture

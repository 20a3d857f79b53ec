#pragma once
// Music lighting as the main window runs it: the capture program's start and link, the styles of
// "AudioFile.json", and the capture data handed to every connected keyboard. UI thread only.
#include <cstdint>
#include <span>
#include <string>

#include <json/value.h>

#include "app/music/AudioLightInfo.h"
#include "app/music/CaptureData.h"
#include "app/music/CaptureLink.h"

class CMessageBus;

inline constexpr uint32_t kCaptureLookupIntervalMs = 1000;
class CTorvanelUSBDevice;
struct BusCopyData;

// What happened to a data copy, for the log and the tests.
enum class CaptureDataOutcome { Fed, NotCaptureData, UnknownSender, BadSize, Busy };
const char* CaptureDataOutcomeText(CaptureDataOutcome outcome);

class CMusicLighting {
public:
    explicit CMusicLighting(CMessageBus* bus) : link_(bus) {}

    CAudioCaptureLink& Link() { return link_; }
    // Where "AudioFile.json" lives; the defaults are the user and program folders.
    void SetFilePaths(std::string userPath, std::string defaultPath);

    // Start-up: the program (false when it could not be started), then the styles (sent when the
    // capture window is known already).
    bool StartCaptureProgram() { return link_.StartProgram(); }
    void LoadStyles(uint64_t mainWindow);
    // Timer 1011, and a capture program that (re)appeared: the link sequence and the style.
    bool LinkCapture(uint64_t mainWindow);
    // WM_DESTROY: the shutdown sequence.
    void Shutdown() { link_.SendShutdownSequence(); }

    // Data copies 1 and 2 from the capture window, to every connected keyboard among engines.
    CaptureDataOutcome OnCaptureData(const BusCopyData& data, std::span<CTorvanelUSBDevice* const> engines);

    const AudioLightInfo& Info() const { return info_; }
    // The music window's result: current record, sent, and written to the user's file.
    bool ApplyEditedStyles(uint64_t mainWindow, const AudioLightInfo& info);
    const PeakValues& LastPeaks() const { return peaks_; }

private:
    CAudioCaptureLink link_;
    std::string userPath_;
    std::string defaultPath_;
    Json::Value device_;
    AudioLightInfo info_;
    CAudioBandReducer reducer_;
    PeakValues peaks_{};
    int nesting_ = 0;
    uint32_t lastLookup_ = 0;
};

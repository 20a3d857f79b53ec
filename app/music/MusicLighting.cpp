#include "app/music/MusicLighting.h"

#include "engines/device/TorvanelUSBDevice.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "platform/bus/BusTypes.h"

using namespace capture;

namespace {
bool Connected(CTorvanelUSBDevice* engine) { return engine && engine->CommandChannel().IsConnected(); }
}  // namespace

const char* CaptureDataOutcomeText(CaptureDataOutcome outcome) {
    switch (outcome) {
    case CaptureDataOutcome::Fed: return "fed";
    case CaptureDataOutcome::NotCaptureData: return "not capture data";
    case CaptureDataOutcome::UnknownSender: return "not from the capture window";
    case CaptureDataOutcome::BadSize: return "too short";
    case CaptureDataOutcome::Busy: return "already handling one";
    }
    return "?";
}

void CMusicLighting::SetFilePaths(std::string userPath, std::string defaultPath) {
    userPath_ = std::move(userPath);
    defaultPath_ = std::move(defaultPath);
}

void CMusicLighting::LoadStyles(uint64_t mainWindow) {
    if (userPath_.empty()) userPath_ = UserAudioFilePath();
    if (defaultPath_.empty()) defaultPath_ = DefaultAudioFilePath();
    device_ = LoadAudioDevice(userPath_, defaultPath_);
    info_ = ReadAudioLightInfo(device_);
    link_.SendStyle(mainWindow, info_);
}

bool CMusicLighting::LinkCapture(uint64_t mainWindow) {
    if (!link_.SendLinkSequence(mainWindow)) return false;
    link_.SendStyle(mainWindow, info_);
    reducer_.Forget();
    return true;
}

CaptureDataOutcome CMusicLighting::OnCaptureData(const BusCopyData& data, std::span<CTorvanelUSBDevice* const> engines) {
    if (data.dataId != kSpectrumDataId && data.dataId != kPeakDataId) return CaptureDataOutcome::NotCaptureData;
    // Only the program we linked feeds the keyboards; anyone can send a data copy on the bus. A
    // capture window given up after a time-out (it hung, then recovered) is looked up again, at
    // most once a second.
    if (!link_.IsCaptureWindow(data.senderHandle)) {
        const uint32_t now = GetTickCount();
        if (link_.CaptureWindow() != 0 || now - lastLookup_ < kCaptureLookupIntervalMs) return CaptureDataOutcome::UnknownSender;
        lastLookup_ = now;
        if (!link_.IsCaptureWindow(data.senderHandle) && link_.FindCaptureWindow() != data.senderHandle)
            return CaptureDataOutcome::UnknownSender;
        DebugOutput("music: the capture program answers again");
    }
    if (nesting_ > 0) return CaptureDataOutcome::Busy;
    ++nesting_;
    CaptureDataOutcome outcome = CaptureDataOutcome::BadSize;
    if (data.dataId == kSpectrumDataId) {
        if (const auto bands = reducer_.Reduce(data.bytes)) {
            for (CTorvanelUSBDevice* engine : engines)
                if (Connected(engine)) engine->FeedAudioSpectrum(bands->means.data(), kBandBufferCount);
            outcome = CaptureDataOutcome::Fed;
        }
    } else if (const auto peaks = DecodePeakValues(data.bytes)) {
        peaks_ = *peaks;
        for (CTorvanelUSBDevice* engine : engines)
            if (Connected(engine)) engine->FeedAudioPeaks(peaks_.data(), static_cast<int>(kPeakValues));
        outcome = CaptureDataOutcome::Fed;
    }
    --nesting_;
    return outcome;
}

bool CMusicLighting::ApplyEditedStyles(uint64_t mainWindow, const AudioLightInfo& info) {
    info_ = info;
    link_.SendStyle(mainWindow, info_);
    WriteAudioLightInfo(device_, info_);
    if (userPath_.empty()) userPath_ = UserAudioFilePath();
    const bool saved = SaveAudioDevice(userPath_, device_);
    if (!saved) DebugOutput("music: \"AudioFile.json\" could not be written");
    return saved;
}

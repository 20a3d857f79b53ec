#pragma once
// The music window: the four colour styles of music lighting, their names and colours (0 to 9 per
// component). "okbtn" closes with 1 and the caller takes the record; "closebtn" closes with 0.
#include <array>
#include <string>

#include "app/music/AudioLightInfo.h"
#include "toolkit/WindowBase.h"

namespace DuiLib {
class COptionUI;
class CSliderUI;
class CEditUI;
}  // namespace DuiLib

inline constexpr int kMusicWndWidth = 369;
inline constexpr int kMusicWndHeight = 276;

class CMusicWnd : public DuiLib::WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "MusicWnd"; }
    std::string GetSkinFile() override { return "music.xml"; }
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        bool& bHandled) override;
    void OnFinalMessage(DuiLib::HWND hwnd) override;

    void SetAudioLightInfo(const AudioLightInfo& info) { info_ = info; }
    const AudioLightInfo& GetAudioLightInfo() const { return info_; }
    // Receives the record when the window closes with "okbtn".
    void SetResultTarget(AudioLightInfo* target) { resultTarget_ = target; }
    // Values other than the toolkit's DPI steps give 96 (and a line in the debug output).
    void SetDPI(int dpi);
    int GetDPI() const { return dpi_; }
    // False when the layout lacks one of the window's controls (the window then closes with 0).
    bool HasControls() const { return controlsFound_; }

private:
    void ShowStyle();
    void OnStyleSelected(int style);
    void OnSlider(DuiLib::CControlUI* sender);
    void OnNameEdited(DuiLib::CControlUI* sender);

    AudioLightInfo info_;
    AudioLightInfo* resultTarget_ = nullptr;
    int dpi_ = 96;
    bool controlsFound_ = false;
    std::array<DuiLib::COptionUI*, kAudioStyleCount> tabs_{};
    std::array<DuiLib::CEditUI*, kAudioStyleCount> names_{};
    std::array<DuiLib::CSliderUI*, 3> sliders_{};
};

// Opens the music window modally over the main window with the record and DPI given; only one at
// a time (0 while one is open). Returns 1 with the edited record in info, or 0.
int ShowMusicWindow(DuiLib::HWND mainWindow, int dpi, AudioLightInfo& info);
// The open music window, 0 when none (closed with the main window's other children).
DuiLib::HWND MusicWindowHandle();

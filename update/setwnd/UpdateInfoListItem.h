#pragma once
// One row of the settings window's update list: tick box with the product name, current and
// offered version, and the row status with its text, progress and done mark.
#include <string>

#include "toolkit/List.h"

class CUpdateInfoListItemUI : public DuiLib::CListContainerElementUI {
public:
    static constexpr const char* kLayout = "XML\\CustomControlXML\\device_Update_list_item.xml";
    static constexpr int kRowHeight = 50;

    std::string GetClass() const override { return "UpdateInfoListItemUI"; }
    void* GetInterface(const std::string& name) override;
    void DoEvent(DuiLib::TEventUI& event) override;
    void PaintBorder(QPainter& painter) override;

    int GetStatus() const { return m_status; }
    // Shows the status's text, progress, done mark, tick box state and colours. The same status
    // again changes nothing; a value above 8 is stored without visible effect.
    void SetStatus(int status);
    int GetProgress() const { return m_progress; }
    void SetProgress(int percent);

    bool IsTicked() const;
    void SetTicked(bool ticked, bool notify);
    void SetTickEnabled(bool enabled);
    bool IsTickEnabled() const;
    void SetProductName(const std::string& name);
    std::string GetProductName() const;
    void SetCurrentVersionText(const std::string& text);
    // Hidden while empty.
    void SetNewVersionText(const std::string& text);
    std::string GetCurrentVersionText() const;
    std::string GetNewVersionText() const;
    std::string GetStatusTextKey() const;

private:
    DuiLib::CControlUI* Part(const char* name) const;
    void ShowProgress(bool shown);

    int m_status = 0;
    int m_progress = 0;
    bool m_hot = false;
};

#include "panels/controls/PanelControls.h"

#include "toolkit/ControlFactory.h"
#include "panels/controls/AudioRecord.h"
#include "panels/controls/ChartView.h"
#include "panels/controls/CircleProgress.h"
#include "panels/controls/CloudShareListItem.h"
#include "panels/controls/ComboEditContainerElement.h"
#include "panels/controls/HandImgButton.h"
#include "panels/controls/HandImgSelectButton.h"
#include "panels/controls/RedioMacroButton.h"
#include "panels/controls/SelectPanel.h"
#include "panels/controls/WndHost.h"

namespace {

template <class Control>
DuiLib::CControlUI* Make() {
    return new Control();
}

struct Registration {
    const char* className;
    DuiLib::CControlUI* (*create)();
};

constexpr Registration kRegistrations[] = {
    {"CCircleProgressUI", &Make<DuiLib::CCircleProgressUI>},
    {"CChartViewUI", &Make<DuiLib::CChartViewUI>},
    {"CWndUI", &Make<DuiLib::CWndUI>},
    {"CSelectPanelUI", &Make<DuiLib::CSelectPanelUI>},
    {"CCloudShareListItemUI", &Make<DuiLib::CCloudShareListItemUI>},
    // The row's tag keeps the "UI" ending, which the factory's "CFooUI" lookup does not cover.
    {"CloudShareListItemUI", &Make<DuiLib::CCloudShareListItemUI>},
    {"CComboEditContainerElementUI", &Make<DuiLib::CComboEditContainerElementUI>},
    {"CHandImgButtonUI", &Make<DuiLib::CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", &Make<DuiLib::CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", &Make<DuiLib::CRedioMacroButtonUI>},
    {"CAudioRecordUI", &Make<DuiLib::CAudioRecordUI>},
};

}  // namespace

void RegisterPanelControls() {
    DuiLib::CControlFactory* factory = DuiLib::CControlFactory::GetInstance();
    for (const Registration& r : kRegistrations) factory->RegistControl(r.className, r.create);
}

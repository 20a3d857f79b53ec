// What other programs deliver over the session bus, and the device list report to the service tool.
#include "app/shell/AppMessages.h"
#include "app/shell/DeviceListReport.h"
#include "app/shell/MainWnd.h"
#include "device/registry/ModelRegistry.h"
#include "platform/DebugOutput.h"
#include "platform/bus/MessageBus.h"

using namespace DuiLib;

void CMainWnd::ReportDeviceList() {
    if (!bus_ || !bus_->Running()) return;
    const BusTarget tool = BusTarget::ByTitle(kServiceToolTitle);
    if (!bus_->WindowExists(tool)) return;
    const DeviceListReport report = MakeDeviceListReport(PageTable());
    const BusAnswer answer = bus_->CopyDataTo(tool, GetHWND(), kDeviceListReportId, report);
    DebugOutput(std::string("main window: device list report ") + BusStatusText(answer.status));
}

void CMainWnd::OnBusDelivery(BusDelivery& delivery) {
    LRESULT result = 0;
    if (delivery.isCopyData && !systemAwake) {
        DebugOutput("main window: asleep, data copy ignored");
    } else if (delivery.isCopyData) {
        result = OnCaptureCopyData(delivery.copyData);
    } else if (delivery.msg != 0) {
        bool handled = false;
        result = HandleCustomMessage(delivery.msg, delivery.wParam, delivery.lParam, handled);
    }
    delivery.reply.Answer(result);
}

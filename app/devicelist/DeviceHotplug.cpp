// Arrival and removal of interfaces, and moving a product between its cable and its receiver.
#include "app/devicelist/DeviceList.h"

#include "app/devicelist/DeviceOption.h"
#include "toolkit/PaintManager.h"
#include "device/channel/ReceiverLinkPoll.h"
#include "device/registry/ModelRegistry.h"
#include "engines/device/EventInterfaceOwner.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/DebugOutput.h"

namespace {

constexpr unsigned kConnectDelayMs = 500;
constexpr unsigned kLinkMonitorDelayMs = 2000;

bool ThroughReceiverKind(int kind) { return kind == kKindKeyboardViaReceiver || kind == kKindMouseViaReceiver; }
// Only the cable side of a product switches it over; the receiver side just follows.
bool SwitchingKind(int kind) { return kind == kKindKeyboard || kind == kKindMouse; }

struct LostLine {
    DeviceFamily family;
    const char* line;
};
constexpr LostLine kLostLines[] = {
    {DeviceFamily::Keyboard, "键盘设备丢失"},
    {DeviceFamily::Mouse, "鼠标设备丢失"},
};

int OpenForTransfers(CHidInterface& record, const std::string& path) { return record.Open(path, 1, 1, 1, 0); }

}  // namespace

bool CDeviceList::ReadRow(int row, RowView& view) {
    CriticalSectionLock hold(rowsLock_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    view.row = rows_[row];
    view.partnerLinked = false;
    if (view.row.hasPartner && view.row.partnerRow < rows_.size()) {
        view.partner = rows_[view.row.partnerRow];
        view.partnerLinked = view.partner.present && !view.partner.devicePath.empty() && view.partner.hasPartner &&
                             view.partner.partnerRow == row;
    }
    return true;
}

void CDeviceList::ForgetRow(int row) {
    // The scanner matches a free row again on its next pass, so a failed open is retried.
    CriticalSectionLock hold(rowsLock_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    rows_[row].present = 0;
    rows_[row].devicePath.clear();
}

int CDeviceList::FindByIdentity(int row, const RowView& view, bool partnerToo) const {
    const DeviceFamily family = FamilyOfKind(view.row.deviceKind);
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i].family != family) continue;
        const int identity = pages_[i].identityRow;
        if (identity == row || (partnerToo && view.row.hasPartner && identity == view.row.partnerRow))
            return static_cast<int>(i);
    }
    return -1;
}

int CDeviceList::FindByProduct(DeviceFamily family, int vendorId, int productId) const {
    for (size_t i = 0; i < pages_.size(); ++i) {
        const DevicePageEntry& pageRow = PageTable()[static_cast<size_t>(pages_[i].pageRow)];
        if (pages_[i].family == family && pageRow.vendorId == vendorId && pageRow.productId == productId)
            return static_cast<int>(i);
    }
    return -1;
}

void CDeviceList::OnDeviceArrival(int row) {
    RowView view;
    if (!ReadRow(row, view) || !view.row.present) return;
    if (view.row.interfaceRole == kRoleEvent) ArriveEvent(row, view);
    else if (view.row.interfaceRole == kRoleCommand) ArriveCommand(row, view);
}

void CDeviceList::OnDeviceRemoval(int row) {
    RowView view;
    if (!ReadRow(row, view)) return;
    if (view.row.interfaceRole == kRoleEvent) RemoveEvent(view);
    else if (view.row.interfaceRole == kRoleCommand) RemoveCommand(row, view);
}

void CDeviceList::ArriveCommand(int row, const RowView& view) {
    const bool viaReceiver = ThroughReceiverKind(view.row.deviceKind);
    if (view.partnerLinked) {
        if (SwitchingKind(view.row.deviceKind)) SwitchConnection(row, view);
        return;
    }
    const int index = FindByIdentity(row, view, viaReceiver);
    if (index < 0) return;
    DevicePageRecord& page = pages_[index];
    CCommandChannel& channel = page.engine->CommandChannel();
    if (!channel.IsConnected()) {
        bool opened = false;
        {
            CriticalSectionLock hold(channel.TransferLock());
            CHidInterface& record = viaReceiver ? channel.SecondaryRecord() : channel.PrimaryRecord();
            opened = OpenForTransfers(record, view.row.devicePath) == 1;
            if (opened) {
                channel.SetConnected(true);
                channel.SetConnectionMode(viaReceiver ? kModeReceiver : kModeDirect);
                page.engine->SetInterfaceRow(view.row);
                page.identityRow = row;
            }
        }
        if (!opened) return ForgetRow(row);
    }
    if (!viaReceiver) {
        int othersVisible = 0;
        for (const DevicePageRecord& other : pages_)
            othersVisible += (&other != &page && other.entry->IsEntryShown()) ? 1 : 0;
        ShowSelectBind(index, true, othersVisible == 0);
    }
    page.entry->StartTimer(kTimerConnect, kConnectDelayMs);
}

int CDeviceList::FindEventOwner(const RowView& view) const {
    // A receiver's event interface belongs to the product it stands in for.
    const bool useIdsOfPartner = ThroughReceiverKind(view.row.deviceKind) && view.row.hasPartner;
    const int vendorId = useIdsOfPartner ? view.partner.vendorId : view.row.vendorId;
    const int productId = useIdsOfPartner ? view.partner.productId : view.row.productId;
    return FindByProduct(FamilyOfKind(view.row.deviceKind), vendorId, productId);
}

void CDeviceList::ArriveEvent(int row, const RowView& view) {
    (void)row;
    const int index = FindEventOwner(view);
    if (index < 0) return;
    CTorvanelUSBDevice* engine = pages_[index].engine;
    if (auto* keyboard = dynamic_cast<CTorvanelKeyboardDevice*>(engine))
        keyboard->ReattachEventRecord(view.row.devicePath, view.row.deviceKind);
    else if (auto* owner = dynamic_cast<IEventInterfaceOwner*>(engine))
        owner->OpenEventInterface(view.row.devicePath, view.row.deviceKind);
}

void CDeviceList::RemoveEvent(const RowView& view) {
    const int index = FindEventOwner(view);
    if (index < 0) return;
    // The listener would only spin on a handle whose device has gone.
    CTorvanelUSBDevice* engine = pages_[index].engine;
    if (auto* keyboard = dynamic_cast<CTorvanelKeyboardDevice*>(engine))
        keyboard->DetachEventRecord(view.row.deviceKind);
    else if (auto* owner = dynamic_cast<IEventInterfaceOwner*>(engine))
        owner->CloseEventInterface(view.row.deviceKind);
}

void CDeviceList::RemoveCommand(int row, const RowView& view) {
    const DeviceFamily family = FamilyOfKind(view.row.deviceKind);
    for (const LostLine& lost : kLostLines)
        if (lost.family == family) DebugOutput(lost.line);
    if (view.partnerLinked) {
        if (SwitchingKind(view.row.deviceKind)) SwitchConnection(row, view);
        return;
    }
    const int index = FindByIdentity(row, view, ThroughReceiverKind(view.row.deviceKind));
    if (index < 0) return;
    DevicePageRecord& page = pages_[index];
    CCommandChannel& channel = page.engine->CommandChannel();
    channel.SetConnected(false);
    {
        CriticalSectionLock hold(channel.TransferLock());
        channel.PrimaryRecord().Close();
        channel.SecondaryRecord().Close();
    }
    // A pending connect or frame timer would only talk to the closed records.
    manager_.KillTimer(page.entry);
    HideEntry(index);
}

void CDeviceList::SwitchConnection(int row, const RowView& view) {
    const int index = FindByIdentity(row, view, true);
    if (index < 0) return;
    DevicePageRecord& page = pages_[index];
    CTorvanelUSBDevice& engine = *page.engine;
    CCommandChannel& channel = engine.CommandChannel();
    const bool toReceiver = !engine.ThroughReceiver();
    bool opened = false;
    {
        CriticalSectionLock hold(channel.TransferLock());
        channel.SetConnected(false);
        // Going to the receiver means the cable has gone; going to the cable re-opens the direct
        // record on the new path. Either way the old direct handle is of no use.
        channel.PrimaryRecord().Close();
        opened = toReceiver ? OpenForTransfers(channel.SecondaryRecord(), view.partner.devicePath) == 1
                            : OpenForTransfers(channel.PrimaryRecord(), view.row.devicePath) == 1;
        // The receiver record stays open when the cable could not be opened: stay on it.
        if (opened || (!toReceiver && channel.SecondaryRecord().IsOpen())) channel.SetConnected(true);
    }
    if (!opened) {
        if (toReceiver) return HideEntry(index);
        return ForgetRow(row);
    }
    channel.SetViaReceiver(!channel.ViaReceiver());
    if (toReceiver) {
        channel.SetConnectionMode(kModeReceiver);
        engine.SetInterfaceRow(view.partner);
        page.identityRow = view.row.partnerRow;
        if (engine.ReceiverCapable()) {
            PollReceiverLink(channel);
            engine.ReadPowerStatus();
        }
        page.entry->StartTimer(kTimerLinkMonitor, kLinkMonitorDelayMs);
    } else {
        channel.SetConnectionMode(kModeDirect);
        engine.SetInterfaceRow(view.row);
        page.identityRow = row;
        page.entry->StartTimer(kTimerConnect, kConnectDelayMs);
        if (engine.ReceiverCapable()) engine.ReadPowerStatus();
    }
}

// A fuzzed descriptor opened through CHidInterface, then a fuzzed report unpacked with its caps.
// Input: one length byte n, n descriptor bytes, the rest is the report.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "device/hid/HidInterface.h"

namespace {

class FuzzTransport : public IHidTransport {
public:
    explicit FuzzTransport(HidInterfaceInfo info) : info_(std::move(info)) {}
    const HidInterfaceInfo& Info() const override { return info_; }
    int Collection() const override { return 0; }
    HidIoResult Read(uint8_t*, uint32_t, uint32_t&, uint32_t, Event&) override { return HidIoResult::Failed; }
    HidIoResult Write(const uint8_t*, uint32_t, uint32_t&, uint32_t, Event&) override { return HidIoResult::Failed; }

private:
    HidInterfaceInfo info_;
};

class FuzzBackend : public IHidBackend {
public:
    std::string Scheme() const override { return "fuzz"; }
    void Enumerate(std::vector<std::string>&) override {}
    std::shared_ptr<IHidTransport> Open(const std::string&, bool, bool) override {
        return std::make_shared<FuzzTransport>(info);
    }
    HidInterfaceInfo info;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t descriptorLength = std::min<size_t>(data[0], size - 1);
    static auto backend = [] {
        auto b = std::make_shared<FuzzBackend>();
        RegisterHidBackend(b);
        return b;
    }();
    backend->info.reportDescriptor.assign(data + 1, data + 1 + descriptorLength);
    CHidInterface record;
    if (!record.Open("fuzz:x#vid_0001&pid_0002", 1, 1, 1, 0)) return 0;
    const uint8_t* report = data + 1 + descriptorLength;
    const auto reportLength = static_cast<uint16_t>(std::min<size_t>(size - 1 - descriptorLength, 0xFFFF));
    if (reportLength == 0) return 0;
    record.UnpackReport(report, reportLength, HidReportKind::Input, record.InputData);
    record.UnpackReport(report, reportLength, HidReportKind::Feature, record.FeatureData);
    return 0;
}

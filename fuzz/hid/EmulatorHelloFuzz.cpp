// The first packet of an emulated device and the reports after it, as the HID layer reads them:
// the hello is parsed, its descriptor gives the collection paths, each collection is opened and
// the reports are unpacked with its caps.
// Input: the hello text up to the first zero byte, then the report bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/EmulatorHello.h"
#include "device/hid/HidFdTransport.h"
#include "device/hid/HidInterface.h"

namespace {

// The emulator's transport without its socket: every transfer fails, as after an unplug.
class SocketlessTransport : public HidFdTransport {
public:
    using HidFdTransport::HidFdTransport;

protected:
    ssize_t ReceiveReport(uint8_t*, size_t) override { return -1; }
    ssize_t SendReport(const uint8_t*, size_t) override { return -1; }
};

class HelloBackend : public IHidBackend {
public:
    std::string Scheme() const override { return "hello"; }
    void Enumerate(std::vector<std::string>&) override {}
    // As the emulator backend opens a collection, without a socket behind it (fd -1).
    std::shared_ptr<IHidTransport> Open(const std::string& path, bool, bool) override {
        const ParsedDescriptor descriptor = ParseReportDescriptor(info.reportDescriptor);
        const int collection = CollectionOfPath(path, descriptor);
        if (collection < 0) return nullptr;
        return std::make_shared<SocketlessTransport>(-1, info, collection, descriptor);
    }
    HidInterfaceInfo info;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto backend = [] {
        auto b = std::make_shared<HelloBackend>();
        RegisterHidBackend(b);
        return b;
    }();
    const auto* end = data + size;
    const auto* zero = std::find(data, end, uint8_t{0});
    const std::string text(reinterpret_cast<const char*>(data), static_cast<size_t>(zero - data));
    EmulatorHello hello;
    std::string error;
    if (!ParseEmulatorHello(text, hello, error)) {
        if (error.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    std::vector<std::string> paths;
    AppendCollectionPaths("hello", "/fuzz/kb.sock", hello.info, paths);
    backend->info = hello.info;
    const uint8_t* report = zero == end ? end : zero + 1;
    const auto reportLength = static_cast<uint16_t>(std::min<size_t>(static_cast<size_t>(end - report), 0xFFFF));
    for (const std::string& path : paths) {
        CHidInterface record;
        if (!record.Open(path, 1, 1, 1, 0)) continue;
        if (reportLength == 0) continue;
        record.UnpackReport(report, reportLength, HidReportKind::Input, record.InputData);
        record.UnpackReport(report, reportLength, HidReportKind::Feature, record.FeatureData);
    }
    return 0;
}

// Command exchanges per second through the real HID layer and the emulator socket: what the
// software adds to every exchange, next to a USB link's one exchange per millisecond.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "device/channel/CommandChannel.h"
#include "device/registry/InterfaceScanner.h"
#include "platform/CriticalSection.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"

namespace {

struct EmulatorLink {
    EmulatorLink() {
        char pattern[] = "/tmp/zorv-bench-XXXXXX";
        dir = mkdtemp(pattern);
        setenv("ZORV_HID_EMULATOR_DIR", dir.c_str(), 1);
        emu::EmulatorOptions options;
        options.dir = dir;
        options.name = "bench";
        keyboard = std::make_unique<emu::EmulatedKeyboard>(options);
        std::string error;
        ok = keyboard->Start(error);
        InterfaceList list = MakeInterfaceList();
        CInterfaceScanner scanner;
        scanner.RunScanPass(list);
        CriticalSectionLock lock(channel.TransferLock());
        ok = ok && list[0].present && channel.PrimaryRecord().Open(list[0].devicePath, 1, 1, 1, 0) == 1;
        channel.SetConnected(true);
        channel.SetConnectionMode(1);
    }
    ~EmulatorLink() {
        channel.PrimaryRecord().Close();
        keyboard->Stop();
        std::filesystem::remove_all(dir);
    }
    std::string dir;
    std::unique_ptr<emu::EmulatedKeyboard> keyboard;
    CCommandChannel channel;
    bool ok = false;
};

void BM_TransferThroughEmulator(benchmark::State& state) {
    EmulatorLink link;
    if (!link.ok) {
        state.SkipWithError("emulator not reachable");
        return;
    }
    uint8_t request[64] = {0x04, 0x01, 0x00, 0x01};  // BeginConfig, checksum 0x0001
    uint8_t reply[64];
    size_t n = 0;
    for (auto _ : state) {
        uint32_t read = 0;
        if (link.channel.Transfer(request, 64, reply, 64, &read) != 1) state.SkipWithError("no reply");
        if (++n % 4096 == 0) {
            state.PauseTiming();
            link.keyboard->ClearPacketLog();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TransferThroughEmulator)->UseRealTime();

void BM_KeyTableWriteThroughEmulator(benchmark::State& state) {
    EmulatorLink link;
    if (!link.ok || link.channel.SetBlockSize(378) != 1) {
        state.SkipWithError("emulator not reachable");
        return;
    }
    std::vector<uint8_t> table(512, 0x20);
    for (auto _ : state) {
        if (link.channel.WriteKeyTable(table.data(), 0) != 1) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations() * 7);  // packets
}
BENCHMARK(BM_KeyTableWriteThroughEmulator)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

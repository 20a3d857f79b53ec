// Command exchanges per second through the channel, against the in-process fake keyboard.
#include <benchmark/benchmark.h>

#include <vector>

#include "FakeHid.h"
#include "device/channel/CommandChannel.h"

namespace {

struct Bench {
    Bench() {
        keyboard = MakeFakeKeyboard("bench");
        backend->Add(keyboard);
        channel.PrimaryRecord().Open(keyboard->PathOf(4), 1, 1, 1, 0);
        channel.SetConnected(true);
        channel.SetConnectionMode(1);
    }
    ScopedFakeBackend backend;
    std::shared_ptr<FakeHidDevice> keyboard;
    CCommandChannel channel;
};

void BM_Transfer(benchmark::State& state) {
    Bench bench;
    const CommandPacket request = BuildCommandPacket(0x01, 0, 0);
    CommandPacket reply{};
    for (auto _ : state) {
        uint32_t read = 0;
        if (bench.channel.Transfer(request.data(), 64, reply.data(), 64, &read) != 1) state.SkipWithError("no reply");
        bench.keyboard->ClearPackets();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Transfer);

// A 170-key frame: ten packets through TransferPlain.
void BM_StreamLightFrame(benchmark::State& state) {
    Bench bench;
    const std::vector<uint8_t> frame(510, 0x40);
    for (auto _ : state) {
        if (bench.channel.StreamLightFrame(frame.data(), 510) != 1) state.SkipWithError("frame failed");
        bench.keyboard->ClearPackets();
    }
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_StreamLightFrame);

// The keyboard's read-all: 0x01, 0x03, 0x07, 0x1B, 0x02 with a 510-byte key table.
void BM_ReadAll(benchmark::State& state) {
    Bench bench;
    bench.channel.SetBlockSize(510);
    std::vector<uint8_t> info(34), keys(512), lights(512);
    for (auto _ : state) {
        bench.channel.BeginConfig();
        bench.channel.ReadDeviceInfo(info.data());
        bench.channel.ReadKeyTable(keys.data());
        bench.channel.ReadKeyTable2(lights.data());
        bench.channel.EndConfig();
        bench.keyboard->ClearPackets();
    }
}
BENCHMARK(BM_ReadAll)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

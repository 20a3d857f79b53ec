// Descriptor parsing runs on every probe of the 100 ms device scan, so it must stay cheap.
#include <benchmark/benchmark.h>

#include "device/hid/ReportDescriptor.h"
#include "tests/device/hid/TestDescriptors.h"

namespace {

void ParseDescriptor(benchmark::State& state, const std::vector<uint8_t>& descriptor) {
    for (auto _ : state) {
        ParsedDescriptor parsed = ParseReportDescriptor(descriptor);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(descriptor.size()));
}

void BM_ParseBootKeyboard(benchmark::State& state) { ParseDescriptor(state, testdesc::kBootKeyboard); }
void BM_ParseReceiver(benchmark::State& state) { ParseDescriptor(state, testdesc::Receiver()); }

// The worst a device could hand us: the largest descriptor hidraw passes (4096 bytes), all items.
void BM_ParseLargestDescriptor(benchmark::State& state) {
    std::vector<uint8_t> descriptor;
    while (descriptor.size() + testdesc::Receiver().size() <= 4096) {
        const auto receiver = testdesc::Receiver();
        descriptor.insert(descriptor.end(), receiver.begin(), receiver.end());
    }
    ParseDescriptor(state, descriptor);
}

void BM_DecodeKeyboardReport(benchmark::State& state) {
    const ParsedDescriptor parsed = ParseReportDescriptor(testdesc::kBootKeyboard);
    const HidButtonCaps& keys = parsed.collections.at(0).buttonCaps[0].at(1);
    const uint8_t report[] = {0x00, 0x42, 0x00, 0x04, 0x05, 0x1D, 0x00, 0x00, 0x00};
    for (auto _ : state) benchmark::DoNotOptimize(GetButtonUsages(keys, report, sizeof report));
}

}  // namespace

BENCHMARK(BM_ParseBootKeyboard);
BENCHMARK(BM_ParseReceiver);
BENCHMARK(BM_ParseLargestDescriptor);
BENCHMARK(BM_DecodeKeyboardReport);
BENCHMARK_MAIN();

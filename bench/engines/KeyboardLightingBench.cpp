// One rendered frame per keyboard effect (one lighting-thread pass with the wait already over).
#include <benchmark/benchmark.h>

#include <array>

#include "engines/lighting/KeyboardLightRenderer.h"

namespace {

void RenderOneFrame(benchmark::State& state) {
    const auto effect = uint8_t(state.range(0));
    CKeyboardLightingShared shared;
    CKeyboardLightRenderer renderer(0x5062, &shared);
    LightInfoRecord record;
    record.SelectItem = effect;
    record.Light = 4;
    record.Speed = 6;  // the shortest waits
    record.Fx = 1;
    record.MultiColor = 1;
    record.Red = 200;
    renderer.SetLightState(record);
    renderer.SetAudioLight({uint32_t(state.range(1)), 0x00FF0000u, 0});
    renderer.SetAreaLights(std::vector<LightListEntry>(170));
    LedEffectFrame frame;
    frame.LEDREGMode = 4;
    frame.Time = 1000;
    renderer.SetUserEffectFrames({frame});
    renderer.EnterEffect(effect);
    std::array<int32_t, 25> bands{};
    bands.fill(1500);
    uint32_t now = 0;
    for (auto _ : state) {
        renderer.FeedAudioSpectrum({reinterpret_cast<const uint8_t*>(bands.data()), 100}, 500);
        now += 4;  // two counted ticks per pass: every effect renders
        renderer.LightingPass(now);
        benchmark::DoNotOptimize(renderer.GetLightValue(0));
    }
}

void EveryEffect(benchmark::internal::Benchmark* bench) {
    for (int effect = 0; effect <= 35; ++effect) bench->Args({effect, 0});
    for (int style = 1; style <= 6; ++style) bench->Args({26, style});  // the other music styles
}

}  // namespace

BENCHMARK(RenderOneFrame)->Apply(EveryEffect)->ArgNames({"effect", "audio_mode"});
BENCHMARK_MAIN();

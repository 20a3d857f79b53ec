// Loading and saving a full keyboard profile: 170 keys, every record, one custom colour group.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "store/DataFolders.h"
#include "store/JsonFile.h"
#include "store/KeyboardProfiledata.h"

namespace {
std::string BenchFolder() {
    std::string folder = (std::filesystem::temp_directory_path() /
                          ("zorv-store-bench-" + std::to_string(getpid())))
                             .string() + "/";
    std::filesystem::create_directories(folder);
    return folder;
}

void LoadFullProfile(CKeyboardProfiledata& p) {
    p.LoadSection(p.GetProfilePath());
    p.GetKeyList();
    p.GetLightInfo();
    p.GetAudioLightInfo();
    p.GetSystemStages();
    p.GetCustomLightColors(p.GetCustomLightGroup(), 170);
}

void BM_LoadKeyboardProfile(benchmark::State& state) {
    std::string folder = BenchFolder();
    CKeyboardProfiledata p;
    p.SetDefaultPath(DefaultProfilePath("keyboard"));
    p.SetProfilePath(folder + "load.Json");
    LoadFullProfile(p);
    for (auto _ : state) {
        LoadFullProfile(p);
        benchmark::DoNotOptimize(p.Section());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadKeyboardProfile)->Unit(benchmark::kMillisecond);

void BM_SaveKeyboardProfile(benchmark::State& state) {
    std::string folder = BenchFolder();
    CKeyboardProfiledata p;
    p.SetDefaultPath(DefaultProfilePath("keyboard"));
    p.SetProfilePath(folder + "save.Json");
    LoadFullProfile(p);
    std::vector<KeyListEntry> keys = p.GetKeyList();
    for (auto _ : state) {
        p.SetKeyList(keys);
        p.SetLightInfo(p.GetLightInfo());
        p.SetSystemStages(p.GetSystemStages());
        if (p.Save() != 1) state.SkipWithError("save failed");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveKeyboardProfile)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();

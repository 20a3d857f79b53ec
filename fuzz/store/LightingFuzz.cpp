// Lighting lists, effect files and the shipped lists of any content.
#include "FuzzSupport.h"
#include "store/BasicProfiledata.h"
#include "store/LightingFiles.h"
#include "store/ShippedLists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = FuzzFile("input.json", data, size);
    for (int model = 0; model < 6; ++model) {
        ReadDefaultLightLists(path, model);
        ReadCustomLightEntries(path, model);
    }
    ReadLedEffectFile(path);
    FuzzFile("g.light", data, size);
    CBasicProfiledata profile;
    profile.LoadLightConfig(path);
    profile.GetLedEffects();
    ReadLanguageList(path);
    AudioStyleSet styles;
    ReadAudioStyles(path, styles);
    return 0;
}

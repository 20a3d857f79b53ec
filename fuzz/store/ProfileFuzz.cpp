// Profile files through every getter and a save of each family's profile data.
#include "FuzzSupport.h"
#include "store/Hs6533Profiledata.h"
#include "store/KeyboardProfiledata.h"
#include "store/MouseProfiledata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFuzzFolder();
    for (int index = 0; index < 3; ++index) {
        std::string path = FuzzFile("p.Json", data, size);
        CKeyboardProfiledata keyboard;
        keyboard.SetDeviceIndex(index);
        keyboard.SetProfilePath(path);
        keyboard.SetDefaultPath(path + ".none");
        keyboard.LoadSection(path);
        keyboard.GetLightInfo();
        keyboard.GetAudioLightInfo();
        keyboard.GetLightList();
        keyboard.SetKeyList(keyboard.GetKeyList());
        keyboard.GetSystemStages();
        keyboard.GetCustomLightColors(keyboard.GetCustomLightGroup() & 0xFF, 170);
        keyboard.Save();
    }
    std::string path = FuzzFile("m.Json", data, size);
    CMouseProfiledata mouse;
    mouse.LoadSection(path);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.GetSystemStages();
    mouse.GetCorrectInfo();
    mouse.Save();
    CHs6533Profiledata headset;
    headset.SetProfilePath(FuzzFile("h.Json", data, size));
    headset.LoadSection(headset.GetProfilePath());
    HeadsetSystemSetStages set = headset.GetSystemSetStages();
    headset.GetEqValues(set.EqType);
    headset.GetCustomEqValues(set.CustomEqSeletIndex);
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    headset.Save();
    return 0;
}

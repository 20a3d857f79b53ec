#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "store/BasicProfiledata.h"

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    void SetSystemStages(const std::array<uint32_t, 4>& words);
    std::array<uint32_t, 4> GetSystemStages();

    void SetCustomLightColors(const std::vector<CustomLightColor>& colors, int group);
    // Missing colours are created as zero in the section (they reach the file with the next Save).
    std::vector<CustomLightColor> GetCustomLightColors(int group, int count);
    void SetCustomLightGroup(int group);
    int GetCustomLightGroup();

private:
    std::array<uint32_t, 4> systemStages_{};
    std::vector<CustomLightColor> customColors_;
    int customGroup_ = 0;
};

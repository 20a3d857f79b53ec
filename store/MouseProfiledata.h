#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "store/BasicProfiledata.h"

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Stages on file replace the first stored ones; stored stages beyond them keep their values.
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    int GetActiveDpiStage() const { return activeDpiStage_; }
    void SetActiveDpiStage(int index);

    void SetSystemStages(const std::array<uint32_t, 3>& words);
    std::array<uint32_t, 3> GetSystemStages();
    std::vector<CorrectionEntry> GetCorrectInfo();

private:
    std::vector<DpiStage> dpiStages_;
    int activeDpiStage_ = 0;
    std::array<uint32_t, 3> systemStages_{};
    std::vector<CorrectionEntry> corrections_;
};

#pragma once
#include <string>
#include <vector>

#include "store/BasicProfiledata.h"

inline constexpr int kEqBandCount = 10;
// Equaliser type that stands for a custom curve; it has no preset entry of its own.
inline constexpr int kCustomEqType = 13;

class CHs6533Profiledata : public CBasicProfiledata {
public:
    void SetSystemSetStages(const HeadsetSystemSetStages& stages);
    HeadsetSystemSetStages GetSystemSetStages();

    // Type 13 gives an empty list and writes nothing; 0 and types above 13 use entry 1.
    std::vector<int> GetEqValues(int type);
    void SetEqValues(int type, const std::vector<int>& values);
    std::vector<int> GetCustomEqValues(int preset);
    void SetCustomEqValues(int preset, const std::vector<int>& values);
    std::vector<std::string> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::string>& names);

private:
    std::vector<int> ReadBands(const char* key, int index);
    void WriteBands(const char* key, int index, const std::vector<int>& values);

    HeadsetSystemSetStages systemSetStages_;
};

#pragma once
// The section of the current profile file that belongs to one device, and the records made of it.
// Setters change only the in-memory section; nothing reaches the disk until Save.
#include <json/json.h>

#include <string>
#include <vector>

#include "store/ProfileRecords.h"

// Section index of a keyboard model: model index 4 uses 1, 5 uses 2, any other itself.
int KeyboardDeviceIndex(int modelIndex);

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;

    // Results: 1 written, 0 the file could not be written (the old file stays as it was).
    virtual int Save();
    // Reads the file at path, sets its Device[device index] to value, writes the whole document back.
    virtual int SaveSection(Json::Value value, std::string path);
    virtual int WriteFile(const Json::Value& value, const std::string& path);

    void SetProfilePath(const std::string& path);
    const std::string& GetProfilePath() const { return profilePath_; }
    void SetDefaultPath(const std::string& path);
    const std::string& GetDefaultPath() const { return defaultPath_; }
    void SetLightConfigPath(const std::string& path) { lightConfigPath_ = path; }
    const std::string& GetLightConfigPath() const { return lightConfigPath_; }
    void SetDeviceIndex(int index) { deviceIndex_ = index; }
    int GetDeviceIndex() const { return deviceIndex_; }

    // Loads Device[device index] of path. A missing or damaged file, or one without this section,
    // gets the section of the default profile written into it; a damaged file is kept aside first.
    // writeResult (optional) receives 1 when nothing had to be written or the write worked, else 0.
    Json::Value LoadSection(const std::string& path, int* writeResult = nullptr);
    const Json::Value& Section() const { return section_; }

    LightInfoRecord GetLightInfo();
    void SetLightInfo(const LightInfoRecord& record);
    AudioLightInfoRecord GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfoRecord& record);
    std::vector<LightListEntry> GetLightList();

    Json::Value LoadLightConfig(const std::string& path);
    // Frames of the user-made effect selected by SelectItem of the current light record.
    std::vector<LedEffectFrame> GetLedEffects();

    std::vector<KeyListEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyListEntry>& list);

protected:
    // The section as an object, created when absent, for the setters.
    Json::Value& WritableSection();
    bool HasSection() const { return section_.isObject(); }

private:
    std::string profilePath_;
    std::string defaultPath_;
    LightInfoRecord lightInfo_;
    LightInfoRecord defaultLightInfo_;
    AudioLightInfoRecord audioLightInfo_;
    std::vector<LightListEntry> lightList_;
    Json::Value section_;
    std::string lightConfigPath_;
    std::vector<LedEffectFrame> effectFrames_;
    Json::Value lightConfig_;
    std::string effectFolder_;  // folder of the light configuration file; effect files lie beside it
    std::vector<KeyListEntry> keyList_;
    int deviceIndex_ = 0;
};

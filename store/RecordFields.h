#pragma once
// The JSON spelling of each byte field of the lighting records, as tables, so that reading and
// writing a record cannot drift apart.
#include <json/value.h>

#include <cstdint>
#include <span>

#include "store/JsonAccess.h"
#include "store/ProfileRecords.h"

template <class Record>
struct ByteField {
    const char* key;
    uint8_t Record::*member;
    bool isFlag;  // read through the bool conversion as 0/1
};

template <class Record>
void ReadByteFields(const Json::Value& object, std::span<const ByteField<Record>> fields, Record& record) {
    for (const ByteField<Record>& field : fields)
        record.*field.member = field.isFlag ? FlagOf(object, field.key) : ByteOf(object, field.key);
}

template <class Record>
Json::Value ByteFieldsToJson(const Record& record, std::span<const ByteField<Record>> fields) {
    Json::Value object(Json::objectValue);
    for (const ByteField<Record>& field : fields) object[field.key] = record.*field.member;
    return object;
}

inline constexpr ByteField<LightInfoRecord> kLightInfoFields[] = {
    {"SelectItem", &LightInfoRecord::SelectItem, false}, {"Light", &LightInfoRecord::Light, false},
    {"Speed", &LightInfoRecord::Speed, false},           {"Fx", &LightInfoRecord::Fx, false},
    {"MultiColor", &LightInfoRecord::MultiColor, true},  {"Red", &LightInfoRecord::Red, false},
    {"Green", &LightInfoRecord::Green, false},           {"Blue", &LightInfoRecord::Blue, false},
    {"ZZCCLedMode", &LightInfoRecord::ZZCCLedMode, false}, {"CustomGroup", &LightInfoRecord::CustomGroup, false},
    {"OldLedmode", &LightInfoRecord::OldLedmode, false},
};

inline constexpr ByteField<AudioLightInfoRecord> kAudioLightInfoFields[] = {
    {"AudioMode", &AudioLightInfoRecord::AudioMode, false},
    {"BkColorR", &AudioLightInfoRecord::BkColorR, false},
    {"BkColorG", &AudioLightInfoRecord::BkColorG, false},
    {"BkColorB", &AudioLightInfoRecord::BkColorB, false},
    {"FgColorR", &AudioLightInfoRecord::FgColorR, false},
    {"FgColorG", &AudioLightInfoRecord::FgColorG, false},
    {"FgColorB", &AudioLightInfoRecord::FgColorB, false},
    {"7ColorFlags", &AudioLightInfoRecord::SevenColorFlags, true},
    {"ColorTypeFlags", &AudioLightInfoRecord::ColorTypeFlags, true},
};

inline constexpr ByteField<LightListEntry> kLightListFields[] = {
    {"LEDREGMode", &LightListEntry::LEDREGMode, false},   {"LEDBrightness", &LightListEntry::LEDBrightness, false},
    {"LEDSpeed", &LightListEntry::LEDSpeed, false},       {"LEDDirection", &LightListEntry::LEDDirection, true},
    {"LEDMultiColor", &LightListEntry::LEDMultiColor, true}, {"red", &LightListEntry::red, false},
    {"green", &LightListEntry::green, false},             {"blue", &LightListEntry::blue, false},
};

inline constexpr ByteField<LedEffectFrame> kLedEffectFrameFields[] = {
    {"LEDREGMode", &LedEffectFrame::LEDREGMode, false},     {"LEDDirection", &LedEffectFrame::LEDDirection, false},
    {"LEDBrightness", &LedEffectFrame::LEDBrightness, false}, {"LEDSpeed", &LedEffectFrame::LEDSpeed, false},
    {"LEDMultiColor", &LedEffectFrame::LEDMultiColor, false}, {"red", &LedEffectFrame::red, false},
    {"green", &LedEffectFrame::green, false},               {"blue", &LedEffectFrame::blue, false},
};

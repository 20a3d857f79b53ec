#include "tools/osconflib/PropertyCodec.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace osconflib {

namespace {

constexpr size_t kPropertyCount = static_cast<size_t>(Property::Count);

constexpr std::array<PropertyInfo, kPropertyCount> kProperties = {{
    {"GetSupportFeature", ValueType::ReadOnly, Side::Both},
    {"MuteControl", ValueType::Integer, Side::Capture},
    {"VolumeScalarControl", ValueType::Float, Side::Capture},
    {"VolumeControl", ValueType::Float, Side::Capture},
    {"GetAAMaxVol", ValueType::ReadOnly, Side::Capture},
    {"AAMuteControl", ValueType::Integer, Side::Capture},
    {"AAVolumeScalarControl", ValueType::Float, Side::Capture},
    {"AAVolumeControl", ValueType::Float, Side::Capture},
    {"Enable_MAGICVOICE", ValueType::Integer, Side::Capture},
    {"MagicVoice_Selection", ValueType::Integer, Side::Capture},
    {"Enable_MICECHO", ValueType::Integer, Side::Capture},
    {"Enable_ENC_LFX", ValueType::Integer, Side::Capture},
    {"Enable_EQ_GFX", ValueType::Integer, Side::Playback},
    {"EQ_Slider1", ValueType::Integer, Side::Playback},
    {"EQ_Slider2", ValueType::Integer, Side::Playback},
    {"EQ_Slider3", ValueType::Integer, Side::Playback},
    {"EQ_Slider4", ValueType::Integer, Side::Playback},
    {"EQ_Slider5", ValueType::Integer, Side::Playback},
    {"EQ_Slider6", ValueType::Integer, Side::Playback},
    {"EQ_Slider7", ValueType::Integer, Side::Playback},
    {"EQ_Slider8", ValueType::Integer, Side::Playback},
    {"EQ_Slider9", ValueType::Integer, Side::Playback},
    {"EQ_Slider10", ValueType::Integer, Side::Playback},
    {"Enable_RFX_GFX", ValueType::Integer, Side::Playback},
    {"RFX_ENVIRONMENT", ValueType::Integer, Side::Playback},
    {"RFX_ROOMSIZE", ValueType::Integer, Side::Playback},
    {"VirtualSurroundEffectControl", ValueType::Integer, Side::Playback},
}};

}  // namespace

const PropertyInfo& Describe(Property property) { return kProperties.at(static_cast<size_t>(property)); }

std::optional<Property> DecodeName(const char16_t* text) {
    if (!text) return std::nullopt;
    // Candidates narrow with every unit read; reading stops when none is left.
    std::array<bool, kPropertyCount> alive;
    alive.fill(true);
    for (size_t i = 0;; ++i) {
        const char16_t unit = text[i];
        bool any = false;
        for (size_t p = 0; p < kPropertyCount; ++p) {
            if (!alive[p]) continue;
            const char expected = kProperties[p].name[i];
            if (unit == 0 && expected == 0) return static_cast<Property>(p);
            alive[p] = expected != 0 && unit == static_cast<unsigned char>(expected);
            any = any || alive[p];
        }
        if (!any) return std::nullopt;
    }
}

ChannelArgument DecodeChannel(void** channel, Property property) {
    ChannelArgument argument;
    if (!channel || !*channel) return argument;
    argument.given = true;
    if (property == Property::VirtualSurround) {
        std::memcpy(argument.block, *channel, sizeof argument.block);
        argument.channel = argument.block[1];
    } else {
        std::memcpy(&argument.channel, *channel, sizeof argument.channel);
    }
    return argument;
}

std::optional<WrittenValue> DecodeWrite(void** value, Property property) {
    if (!value || !*value) return std::nullopt;
    WrittenValue written;
    switch (Describe(property).type) {
    case ValueType::ReadOnly:
        return std::nullopt;
    case ValueType::Integer:
        std::memcpy(&written.integer, *value, sizeof written.integer);
        return written;
    case ValueType::Float:
        written.isFloat = true;
        std::memcpy(&written.real, *value, sizeof written.real);
        if (!std::isfinite(written.real)) return std::nullopt;
        return written;
    }
    return std::nullopt;
}

void PutText(void* buffer, size_t bytes, const std::string& text) {
    if (!buffer || bytes < sizeof(char16_t)) return;
    const size_t room = bytes / sizeof(char16_t) - 1;
    const size_t length = text.size() < room ? text.size() : room;
    char16_t* out = static_cast<char16_t*>(buffer);
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<unsigned char>(text[i]);
    out[length] = 0;
}

std::string LevelText(double level, double tolerance) {
    if (!std::isfinite(level)) level = 0.0;
    level = level < 0.0 ? 0.0 : level;
    const double percent = std::round(level * 100.0);
    double shown = level;
    if (std::fabs(percent / 100.0 - level) <= tolerance) {
        // The server's volume steps are finer than a percent, but 0.29 * 100 truncates to 28 in
        // binary floating point: the smallest nudge within the step keeps the percent whole.
        shown = percent / 100.0;
        for (double nudge : {0.0, 1e-6, 2e-6, 4e-6}) {
            char text[32];
            std::snprintf(text, sizeof text, "%.6f", shown + nudge);
            const double back = std::strtod(text, nullptr);
            const float backFloat = std::strtof(text, nullptr);
            if (std::trunc(back * 100.0) >= percent && std::trunc(backFloat * 100.0f) >= static_cast<float>(percent))
                return text;
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", shown);
    return text;
}

std::string IntegerText(int64_t value) { return std::to_string(value); }

std::string DecibelText(double decibels) {
    // Silence is minus infinity decibels; a decimal text cannot say so, so the floor stands for it.
    if (!std::isfinite(decibels) || decibels < -100.0) decibels = -100.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", decibels);
    return text;
}

std::optional<double> ParseDecimalText(const void* buffer, size_t bytes) {
    if (!buffer) return std::nullopt;
    const size_t units = bytes / sizeof(char16_t);
    std::string ascii;
    for (size_t i = 0; i < units; ++i) {
        char16_t unit;
        std::memcpy(&unit, static_cast<const char*>(buffer) + i * sizeof unit, sizeof unit);
        if (unit == 0) break;
        // Decimal only: no spaces, hexadecimal, "inf" or "nan" that strtod would take.
        if (unit > 0x7F || !std::strchr("0123456789+-.eE", static_cast<char>(unit)) || ascii.size() >= 64)
            return std::nullopt;
        ascii.push_back(static_cast<char>(unit));
    }
    if (ascii.empty() || ascii.size() == units) return std::nullopt;  // empty or not terminated
    char* end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace osconflib

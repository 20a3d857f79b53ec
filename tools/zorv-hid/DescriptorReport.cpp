#include "DescriptorReport.h"

#include <cstdio>

namespace {

struct KindName {
    HidReportKind kind;
    const char* name;
};
constexpr KindName kKinds[] = {
    {HidReportKind::Input, "input"},
    {HidReportKind::Output, "output"},
    {HidReportKind::Feature, "feature"},
};

int Index(HidReportKind kind) { return static_cast<int>(kind); }

Json::Value Cap(const char* kind, bool button, uint8_t reportId, uint16_t page, uint16_t min, uint16_t max) {
    Json::Value cap(Json::objectValue);
    cap["kind"] = kind;
    cap["button"] = button;
    cap["report_id"] = reportId;
    cap["usage_page"] = page;
    cap["usage_min"] = min;
    cap["usage_max"] = max;
    return cap;
}

std::string Printf(const char* format, auto... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

}  // namespace

Json::Value DescriptorToJson(const ParsedDescriptor& descriptor) {
    Json::Value collections(Json::arrayValue);
    for (const ParsedCollection& c : descriptor.collections) {
        Json::Value entry(Json::objectValue);
        entry["usage_page"] = c.usagePage;
        entry["usage"] = c.usage;
        entry["input_report_byte_length"] = c.inputReportByteLength;
        entry["output_report_byte_length"] = c.outputReportByteLength;
        entry["feature_report_byte_length"] = c.featureReportByteLength;
        Json::Value caps(Json::arrayValue);
        for (const KindName& k : kKinds) {
            const auto& buttons = c.buttonCaps[Index(k.kind)];
            const auto& values = c.valueCaps[Index(k.kind)];
            entry[std::string(k.name) + "_button_caps"] = static_cast<Json::UInt>(buttons.size());
            entry[std::string(k.name) + "_value_caps"] = static_cast<Json::UInt>(values.size());
            for (const HidButtonCaps& b : buttons)
                caps.append(Cap(k.name, true, b.reportId, b.usagePage, b.usageMin, b.usageMax));
            for (const HidValueCaps& v : values)
                caps.append(Cap(k.name, false, v.reportId, v.usagePage, v.usageMin, v.usageMax));
        }
        entry["caps"] = caps;
        collections.append(entry);
    }
    Json::Value root(Json::objectValue);
    root["collections"] = collections;
    return root;
}

std::string DescriptorToText(const ParsedDescriptor& descriptor) {
    std::string text;
    int number = 0;
    for (const ParsedCollection& c : descriptor.collections) {
        ++number;
        text += Printf("collection %d (&col%02x): usage page 0x%04x, usage 0x%04x\n", number, number, c.usagePage,
                       c.usage);
        text += Printf("  report byte lengths: input %u, output %u, feature %u\n", c.inputReportByteLength,
                       c.outputReportByteLength, c.featureReportByteLength);
        for (const KindName& k : kKinds) {
            const auto& buttons = c.buttonCaps[Index(k.kind)];
            const auto& values = c.valueCaps[Index(k.kind)];
            text += Printf("  %-7s %zu button caps, %zu value caps\n", k.name, buttons.size(), values.size());
            for (const HidButtonCaps& b : buttons)
                text += Printf("    button  report id %3u  usage page 0x%04x  usages 0x%04x-0x%04x\n", b.reportId,
                               b.usagePage, b.usageMin, b.usageMax);
            for (const HidValueCaps& v : values)
                text += Printf("    value   report id %3u  usage page 0x%04x  usages 0x%04x-0x%04x\n", v.reportId,
                               v.usagePage, v.usageMin, v.usageMax);
        }
    }
    if (descriptor.collections.empty()) text += "no top-level collection\n";
    return text;
}

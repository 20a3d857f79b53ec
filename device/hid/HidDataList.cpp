// Capability loading and report decoding of CHidInterface, over the parsed report descriptor.
#include <algorithm>

#include "device/hid/HidInterface.h"

namespace {

struct KindFields {
    std::vector<uint8_t> CHidInterface::*report;
    std::vector<HidDataItem> CHidInterface::*data;
    std::vector<HidButtonCaps> CHidInterface::*buttonCaps;
    std::vector<HidValueCaps> CHidInterface::*valueCaps;
};

constexpr KindFields kKindFields[kHidReportKinds] = {
    {&CHidInterface::InputReport, &CHidInterface::InputData, &CHidInterface::InputButtonCaps,
     &CHidInterface::InputValueCaps},
    {&CHidInterface::OutputReport, &CHidInterface::OutputData, &CHidInterface::OutputButtonCaps,
     &CHidInterface::OutputValueCaps},
    {&CHidInterface::FeatureReport, &CHidInterface::FeatureData, &CHidInterface::FeatureButtonCaps,
     &CHidInterface::FeatureValueCaps},
};

std::vector<HidDataItem> BuildDataList(const ParsedCollection& collection, HidReportKind kind) {
    const int k = static_cast<int>(kind);
    std::vector<HidDataItem> list;
    size_t valueUsages = 0;
    for (const HidValueCaps& caps : collection.valueCaps[k]) {
        valueUsages += caps.isRange ? static_cast<size_t>(caps.usageMax - caps.usageMin) + 1 : 1;
    }
    list.reserve(collection.buttonCaps[k].size() + valueUsages);
    for (const HidButtonCaps& caps : collection.buttonCaps[k]) {
        HidDataItem item;
        item.isButton = true;
        item.usagePage = caps.usagePage;
        item.reportId = caps.reportId;
        item.usageMin = caps.usageMin;
        item.usageMax = caps.isRange ? caps.usageMax : caps.usageMin;
        item.maxUsageCount = MaxUsageListLength(collection, kind, caps.usagePage);
        item.usages.assign(item.maxUsageCount, 0);
        list.push_back(std::move(item));
    }
    for (const HidValueCaps& caps : collection.valueCaps[k]) {
        const uint16_t last = caps.isRange ? caps.usageMax : caps.usageMin;
        for (uint32_t usage = caps.usageMin; usage <= last; ++usage) {
            HidDataItem item;
            item.usagePage = caps.usagePage;
            item.reportId = caps.reportId;
            item.usage = static_cast<uint16_t>(usage);
            list.push_back(std::move(item));
        }
    }
    return list;
}

// Usages of every button caps of the report and page, as one "get usages" call gives them.
uint32_t DecodeButtonEntry(const ParsedCollection& collection, HidReportKind kind, const uint8_t* report,
                           uint16_t length, HidDataItem& item) {
    std::vector<uint16_t> active;
    for (const HidButtonCaps& caps : collection.buttonCaps[static_cast<int>(kind)]) {
        if (caps.usagePage != item.usagePage || caps.reportId != report[0]) continue;
        const std::vector<uint16_t> usages = GetButtonUsages(caps, report, length);
        active.insert(active.end(), usages.begin(), usages.end());
    }
    const uint32_t status = active.size() > item.maxUsageCount ? HIDP_STATUS_BUFFER_TOO_SMALL : HIDP_STATUS_SUCCESS;
    if (active.size() > item.maxUsageCount) active.resize(item.maxUsageCount);
    std::erase_if(active, [&](uint16_t usage) { return usage < item.usageMin || usage > item.usageMax; });
    // Entries built elsewhere may have a short array; never write past it.
    std::fill(item.usages.begin(), item.usages.end(), 0);
    std::copy_n(active.begin(), std::min(active.size(), item.usages.size()), item.usages.begin());
    return status;
}

}  // namespace

int CHidInterface::LoadCapabilities(const IHidTransport& transport) {
    const HidInterfaceInfo& info = transport.Info();
    const ParsedDescriptor parsed = ParseReportDescriptor(info.reportDescriptor);
    const int collection = transport.Collection();
    const size_t index = collection > 0 ? static_cast<size_t>(collection - 1) : 0;
    if (index >= parsed.collections.size()) return 0;
    auto preparsed = std::make_shared<const ParsedCollection>(parsed.collections[index]);
    const ParsedCollection& c = *preparsed;

    Attributes = HIDD_ATTRIBUTES{info.vendorId, info.productId, info.version};
    Capabilities = HIDP_CAPS{};
    Capabilities.Usage = c.usage;
    Capabilities.UsagePage = c.usagePage;
    Capabilities.InputReportByteLength = c.inputReportByteLength;
    Capabilities.OutputReportByteLength = c.outputReportByteLength;
    Capabilities.FeatureReportByteLength = c.featureReportByteLength;
    Capabilities.NumberLinkCollectionNodes = c.linkCollectionNodes;
    uint16_t HIDP_CAPS::*const counts[kHidReportKinds][3] = {
        {&HIDP_CAPS::NumberInputButtonCaps, &HIDP_CAPS::NumberInputValueCaps, &HIDP_CAPS::NumberInputDataIndices},
        {&HIDP_CAPS::NumberOutputButtonCaps, &HIDP_CAPS::NumberOutputValueCaps,
         &HIDP_CAPS::NumberOutputDataIndices},
        {&HIDP_CAPS::NumberFeatureButtonCaps, &HIDP_CAPS::NumberFeatureValueCaps,
         &HIDP_CAPS::NumberFeatureDataIndices},
    };
    const uint16_t lengths[kHidReportKinds] = {c.inputReportByteLength, c.outputReportByteLength,
                                               c.featureReportByteLength};
    for (int k = 0; k < kHidReportKinds; ++k) {
        Capabilities.*counts[k][0] = static_cast<uint16_t>(c.buttonCaps[k].size());
        Capabilities.*counts[k][1] = static_cast<uint16_t>(c.valueCaps[k].size());
        Capabilities.*counts[k][2] = c.dataIndices[k];
        const KindFields& fields = kKindFields[k];
        (this->*fields.report).assign(lengths[k], 0);
        this->*fields.buttonCaps = c.buttonCaps[k];
        this->*fields.valueCaps = c.valueCaps[k];
        this->*fields.data = BuildDataList(c, static_cast<HidReportKind>(k));
    }
    InterfaceNumber = ParseInterfaceNumber(devicePath_);
    CollectionNumber = ParseCollectionNumber(devicePath_);
    preparsed_ = std::move(preparsed);
    return 1;
}

void CHidInterface::ReleaseCapabilities() {
    preparsed_.reset();
    Attributes = HIDD_ATTRIBUTES{};
    Capabilities = HIDP_CAPS{};
    for (const KindFields& fields : kKindFields) {
        (this->*fields.report).clear();
        (this->*fields.data).clear();
        (this->*fields.buttonCaps).clear();
        (this->*fields.valueCaps).clear();
    }
    InterfaceNumber = 0;
    CollectionNumber = 0;
}

int CHidInterface::UnpackReport(const uint8_t* report, uint16_t length, HidReportKind kind,
                                std::vector<HidDataItem>& dataList) const {
    const std::shared_ptr<const ParsedCollection> preparsed = Preparsed();
    if (!preparsed || !report || length == 0) return 0;
    const uint8_t reportId = report[0];
    for (HidDataItem& item : dataList) {
        if (item.reportId != reportId) continue;
        if (item.isButton) {
            item.status = DecodeButtonEntry(*preparsed, kind, report, length, item);
        } else {
            const HidValueCaps* caps = FindValueCaps(*preparsed, kind, item.usagePage, reportId, item.usage);
            uint32_t raw = 0;
            int32_t scaled = 0;
            if (!caps) {
                item.status = HIDP_STATUS_USAGE_NOT_FOUND;
                return 0;
            }
            if (!GetUsageValue(*caps, item.usage, report, length, raw, scaled)) {
                item.status = HIDP_STATUS_INVALID_REPORT_LENGTH;
                return 0;
            }
            item.value = raw;
            item.scaledValue = scaled;
            item.status = HIDP_STATUS_SUCCESS;
        }
        item.isSet = true;
    }
    return 1;
}

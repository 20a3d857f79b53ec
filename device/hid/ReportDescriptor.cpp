// Item rules of HID 1.11 section 6.2.2; capability building as the Windows HID parser does it.
#include "device/hid/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <bitset>

namespace {

enum class ItemType : uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

enum MainTag : uint8_t { kInput = 0x8, kOutput = 0x9, kFeature = 0xB, kCollection = 0xA, kEndCollection = 0xC };
enum GlobalTag : uint8_t {
    kUsagePage = 0x0, kLogicalMin = 0x1, kLogicalMax = 0x2, kPhysicalMin = 0x3, kPhysicalMax = 0x4,
    kUnitExponent = 0x5, kUnit = 0x6, kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9,
    kPush = 0xA, kPop = 0xB,
};
enum LocalTag : uint8_t { kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2, kDelimiter = 0xA };

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr uint32_t kMainConstant = 0x01;
constexpr uint32_t kMainVariable = 0x02;

// Bounds that keep any byte string cheap to parse and every count inside its 16-bit field.
constexpr size_t kMaxGlobalStack = 32;
constexpr size_t kMaxCollectionDepth = 64;
constexpr size_t kMaxTopLevelCollections = 255;
constexpr uint64_t kMaxReportBits = (0xFFFFull - 1) * 8;  // byte length plus the id byte fits 16 bits
constexpr uint32_t kMaxDataIndices = 0xFFFF;

struct Item {
    bool isLong;        // long items carry no meaning for the parser
    ItemType type;
    uint8_t tag;
    uint8_t size;       // data bytes
    uint32_t value;     // zero-extended
    int32_t signedValue;
};

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0, logicalMax = 0;
    int32_t physicalMin = 0, physicalMax = 0;
    // Many devices write 255 as a one-byte 0xFF; kept so a maximum below a non-negative minimum
    // can be read as the unsigned number it was meant to be.
    uint32_t logicalMaxUnsigned = 0, physicalMaxUnsigned = 0;
    uint8_t logicalMaxSize = 0, physicalMaxSize = 0;
    int32_t unitExponent = 0;
    uint32_t unit = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A usage as written: 4-byte usages carry their own page in the high half.
struct RawUsage {
    uint32_t value = 0;
    bool extended = false;
};

struct UsageRange {
    uint16_t page = 0;
    uint16_t min = 0, max = 0;
    bool isRange = false;
    uint32_t Span() const { return static_cast<uint32_t>(max - min) + 1; }
};

int32_t EffectiveMax(int32_t min, int32_t max, uint32_t maxUnsigned, uint8_t size) {
    if (min >= 0 && max < min && size > 0 && size < 4) return static_cast<int32_t>(maxUnsigned);
    return max;
}

class DescriptorParser {
public:
    DescriptorParser(const uint8_t* data, size_t length) : data_(data), length_(length) {}

    ParsedDescriptor Run() {
        size_t pos = 0;
        while (pos < length_ && !stopped_) {
            Item item{};
            size_t next = 0;
            if (!ReadItem(pos, item, next)) break;
            pos = next;
            if (item.isLong) continue;
            switch (item.type) {
                case ItemType::Main: OnMain(item); break;
                case ItemType::Global: OnGlobal(item); break;
                case ItemType::Local: OnLocal(item); break;
                case ItemType::Reserved: Fail("reserved item type", false); break;
            }
        }
        if (depth_ > 0) {
            Fail("collection not closed", false);
            FinishTopLevel();
        }
        return std::move(result_);
    }

private:
    // False at the end or at a truncated item.
    bool ReadItem(size_t pos, Item& item, size_t& next) {
        const uint8_t prefix = data_[pos];
        if (prefix == kLongItemPrefix) {
            // Prefix, data size, tag, then the data.
            if (pos + 3 > length_) return Fail("truncated long item", true);
            const size_t dataSize = data_[pos + 1];
            if (pos + 3 + dataSize > length_) return Fail("truncated long item", true);
            item = Item{true, ItemType::Reserved, data_[pos + 2], 0, 0, 0};
            next = pos + 3 + dataSize;
            return true;
        }
        static constexpr std::array<uint8_t, 4> kSizes{0, 1, 2, 4};
        const uint8_t size = kSizes[prefix & 0x3];
        if (pos + 1 + size > length_) return Fail("truncated item", true);
        uint32_t value = 0;
        for (uint8_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(data_[pos + 1 + i]) << (8 * i);
        int32_t signedValue = static_cast<int32_t>(value);
        if (size == 1) signedValue = static_cast<int8_t>(value);
        if (size == 2) signedValue = static_cast<int16_t>(value);
        item = Item{false, static_cast<ItemType>((prefix >> 2) & 0x3), static_cast<uint8_t>(prefix >> 4), size, value,
                    signedValue};
        next = pos + 1 + size;
        return true;
    }

    bool Fail(const char* what, bool stop) {
        if (result_.ok) result_.error = what;
        result_.ok = false;
        if (stop) stopped_ = true;
        return false;
    }

    void OnGlobal(const Item& item) {
        switch (item.tag) {
            case kUsagePage: global_.usagePage = static_cast<uint16_t>(item.value); break;
            case kLogicalMin: global_.logicalMin = item.signedValue; break;
            case kLogicalMax:
                global_.logicalMax = item.signedValue;
                global_.logicalMaxUnsigned = item.value;
                global_.logicalMaxSize = item.size;
                break;
            case kPhysicalMin: global_.physicalMin = item.signedValue; break;
            case kPhysicalMax:
                global_.physicalMax = item.signedValue;
                global_.physicalMaxUnsigned = item.value;
                global_.physicalMaxSize = item.size;
                break;
            case kUnitExponent:
                // Four-bit signed nibble in the common encoding, a plain signed number otherwise.
                global_.unitExponent = (item.size == 1 && item.value <= 0xF)
                                           ? static_cast<int32_t>(item.value >= 8 ? item.value - 16 : item.value)
                                           : item.signedValue;
                break;
            case kUnit: global_.unit = item.value; break;
            case kReportSize: global_.reportSize = item.value; break;
            case kReportCount: global_.reportCount = item.value; break;
            case kReportId:
                if (item.value == 0 || item.value > 0xFF) {
                    Fail("report id out of range", true);
                    return;
                }
                global_.reportId = static_cast<uint8_t>(item.value);
                break;
            case kPush:
                if (globalStack_.size() >= kMaxGlobalStack) {
                    Fail("global stack too deep", true);
                    return;
                }
                globalStack_.push_back(global_);
                break;
            case kPop:
                if (globalStack_.empty()) {
                    Fail("pop without push", false);
                    return;
                }
                global_ = globalStack_.back();
                globalStack_.pop_back();
                break;
            default: Fail("unknown global item", false); break;
        }
    }

    void OnLocal(const Item& item) {
        const RawUsage usage{item.value, item.size == 4};
        switch (item.tag) {
            case kUsage:
                FlushPendingMinimum();
                AddUsage(usage, usage, false);
                break;
            case kUsageMin:
                FlushPendingMinimum();
                pendingMin_ = usage;
                hasPendingMin_ = true;
                break;
            case kUsageMax:
                if (hasPendingMin_) {
                    hasPendingMin_ = false;
                    AddUsage(pendingMin_, usage, true);
                } else {
                    Fail("usage maximum without minimum", false);
                    AddUsage(usage, usage, false);
                }
                break;
            case kDelimiter:
                if (item.value == 1) {
                    delimiterOpen_ = true;
                    delimiterFirst_ = localUsages_.size();
                } else {
                    // Usages of one delimited set are aliases of one control: keep the first.
                    if (delimiterOpen_ && localUsages_.size() > delimiterFirst_ + 1) {
                        localUsages_.resize(delimiterFirst_ + 1);
                    }
                    delimiterOpen_ = false;
                }
                break;
            default: break;  // designators and strings do not shape reports
        }
    }

    void FlushPendingMinimum() {
        if (!hasPendingMin_) return;
        hasPendingMin_ = false;
        Fail("usage minimum without maximum", false);
        AddUsage(pendingMin_, pendingMin_, false);
    }

    void AddUsage(RawUsage min, RawUsage max, bool isRange) {
        localUsages_.push_back({min, max, isRange});
    }

    // Usages take the usage page that is current when the main item comes.
    std::vector<UsageRange> ResolveUsages() {
        FlushPendingMinimum();
        std::vector<UsageRange> resolved;
        resolved.reserve(localUsages_.size());
        for (const auto& local : localUsages_) {
            UsageRange range;
            range.page = local.min.extended ? static_cast<uint16_t>(local.min.value >> 16) : global_.usagePage;
            range.min = static_cast<uint16_t>(local.min.value);
            range.max = static_cast<uint16_t>(local.max.value);
            range.isRange = local.isRange;
            if (range.max < range.min) range.max = range.min;
            resolved.push_back(range);
        }
        return resolved;
    }

    void ClearLocals() {
        localUsages_.clear();
        hasPendingMin_ = false;
        delimiterOpen_ = false;
    }

    void OnMain(const Item& item) {
        switch (item.tag) {
            case kCollection: OpenCollection(); break;
            case kEndCollection: CloseCollection(); break;
            case kInput: AddMainItem(HidReportKind::Input, item.value); break;
            case kOutput: AddMainItem(HidReportKind::Output, item.value); break;
            case kFeature: AddMainItem(HidReportKind::Feature, item.value); break;
            default: Fail("unknown main item", false); break;
        }
        ClearLocals();
    }

    void OpenCollection() {
        if (depth_ >= kMaxCollectionDepth) {
            Fail("collections nested too deep", true);
            return;
        }
        if (depth_ == 0) {
            if (result_.collections.size() >= kMaxTopLevelCollections) {
                Fail("too many top-level collections", true);
                return;
            }
            const std::vector<UsageRange> usages = ResolveUsages();
            current_ = ParsedCollection{};
            current_.usagePage = usages.empty() ? global_.usagePage : usages.front().page;
            current_.usage = usages.empty() ? 0 : usages.front().min;
            reportBits_ = {};
            seenIds_ = {};
        }
        ++current_.linkCollectionNodes;
        ++depth_;
    }

    void CloseCollection() {
        if (depth_ == 0) {
            Fail("end collection without collection", false);
            return;
        }
        if (--depth_ == 0) FinishTopLevel();
    }

    void FinishTopLevel() {
        depth_ = 0;
        static constexpr std::array<uint16_t ParsedCollection::*, kHidReportKinds> kLengths{
            &ParsedCollection::inputReportByteLength, &ParsedCollection::outputReportByteLength,
            &ParsedCollection::featureReportByteLength};
        for (int kind = 0; kind < kHidReportKinds; ++kind) {
            uint64_t longest = 0;
            bool any = false;
            for (int id = 0; id < 256; ++id) {
                if (!seenIds_[kind][id]) continue;
                any = true;
                longest = std::max<uint64_t>(longest, reportBits_[kind][id]);
            }
            current_.*kLengths[kind] = any ? static_cast<uint16_t>((longest + 7) / 8 + 1) : 0;
        }
        result_.collections.push_back(std::move(current_));
        current_ = ParsedCollection{};
    }

    void AddMainItem(HidReportKind kind, uint32_t flags) {
        if (depth_ == 0) {
            Fail("main item outside a collection", false);
            return;
        }
        const int k = static_cast<int>(kind);
        const uint8_t id = global_.reportId;
        const uint64_t itemBits = static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
        if (reportBits_[k][id] + itemBits > kMaxReportBits) {
            Fail("report too long", true);
            return;
        }
        const auto offset = static_cast<uint32_t>(reportBits_[k][id]);
        reportBits_[k][id] += itemBits;
        NoteReportId(kind, id);
        if ((flags & kMainConstant) || itemBits == 0) return;

        std::vector<UsageRange> usages = ResolveUsages();
        if (usages.empty()) usages.push_back({global_.usagePage, 0, 0, false});
        const bool isArray = !(flags & kMainVariable);
        const int32_t logicalMax = EffectiveMax(global_.logicalMin, global_.logicalMax, global_.logicalMaxUnsigned,
                                                global_.logicalMaxSize);
        const bool isButton = isArray || (global_.reportSize == 1 && global_.logicalMin == 0 && logicalMax == 1);
        if (isArray) {
            AddArrayCaps(k, usages, offset, flags, logicalMax);
        } else {
            AddVariableCaps(k, usages, offset, flags, logicalMax, isButton);
        }
    }

    void NoteReportId(HidReportKind kind, uint8_t id) {
        seenIds_[static_cast<int>(kind)][id] = true;
        if (id != 0) current_.usesReportIds = true;
        auto note = [id](std::vector<uint8_t>& ids) {
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
        };
        note(current_.reportIds);
        if (kind == HidReportKind::Input) note(current_.inputReportIds);
    }

    // Hands out the next data indices of a report kind; false (and stop) when they run out.
    bool TakeDataIndices(int kind, uint32_t count, uint16_t& first, uint16_t& last) {
        const uint32_t next = current_.dataIndices[kind];
        if (next + count > kMaxDataIndices) {
            Fail("too many data indices", true);
            return false;
        }
        first = static_cast<uint16_t>(next);
        last = static_cast<uint16_t>(next + count - 1);
        current_.dataIndices[kind] = static_cast<uint16_t>(next + count);
        return true;
    }

    HidButtonCaps ButtonCapsBase(const UsageRange& usage, uint32_t flags, int32_t logicalMax) const {
        HidButtonCaps caps;
        caps.usagePage = usage.page;
        caps.reportId = global_.reportId;
        caps.isRange = usage.isRange;
        caps.usageMin = usage.min;
        caps.usageMax = usage.max;
        caps.bitField = flags;
        caps.reportSize = static_cast<uint16_t>(std::min<uint32_t>(global_.reportSize, 0xFFFF));
        caps.logicalMin = global_.logicalMin;
        caps.logicalMax = logicalMax;
        return caps;
    }

    // One caps per usage entry; they share the selector field and split its selector values.
    void AddArrayCaps(int kind, const std::vector<UsageRange>& usages, uint32_t offset, uint32_t flags,
                      int32_t logicalMax) {
        uint32_t selectorIndex = 0;
        for (const UsageRange& usage : usages) {
            HidButtonCaps caps = ButtonCapsBase(usage, flags, logicalMax);
            caps.isArray = true;
            caps.bitOffset = offset;
            caps.reportCount = static_cast<uint16_t>(std::min<uint32_t>(global_.reportCount, 0xFFFF));
            caps.arrayFirstIndex = selectorIndex;
            selectorIndex += usage.Span();
            if (!TakeDataIndices(kind, usage.Span(), caps.dataIndexMin, caps.dataIndexMax)) return;
            current_.buttonCaps[kind].push_back(caps);
        }
    }

    // Fields take the usages in order; the last single usage takes every field left over.
    // A range only covers as many usages as it has fields.
    void AddVariableCaps(int kind, const std::vector<UsageRange>& usages, uint32_t offset, uint32_t flags,
                         int32_t logicalMax, bool isButton) {
        const uint32_t fieldCount = global_.reportCount;
        uint32_t field = 0;
        for (size_t i = 0; i < usages.size() && field < fieldCount; ++i) {
            UsageRange usage = usages[i];
            const bool last = i + 1 == usages.size();
            const uint32_t left = fieldCount - field;
            const uint32_t fields = (last && !usage.isRange) ? left : std::min(usage.Span(), left);
            if (usage.isRange) usage.max = static_cast<uint16_t>(usage.min + fields - 1);
            const uint32_t bitOffset = offset + field * global_.reportSize;
            const auto count = static_cast<uint16_t>(std::min<uint32_t>(fields, 0xFFFF));
            const uint32_t indices = usage.isRange ? usage.Span() : 1;
            if (isButton) {
                HidButtonCaps caps = ButtonCapsBase(usage, flags, logicalMax);
                caps.bitOffset = bitOffset;
                caps.reportCount = count;
                if (!TakeDataIndices(kind, indices, caps.dataIndexMin, caps.dataIndexMax)) return;
                current_.buttonCaps[kind].push_back(caps);
            } else {
                HidValueCaps caps;
                caps.usagePage = usage.page;
                caps.reportId = global_.reportId;
                caps.isRange = usage.isRange;
                caps.usageMin = usage.min;
                caps.usageMax = usage.max;
                caps.bitField = flags;
                caps.bitOffset = bitOffset;
                caps.reportSize = static_cast<uint16_t>(std::min<uint32_t>(global_.reportSize, 0xFFFF));
                caps.reportCount = count;
                caps.logicalMin = global_.logicalMin;
                caps.logicalMax = logicalMax;
                caps.physicalMin = global_.physicalMin;
                caps.physicalMax = EffectiveMax(global_.physicalMin, global_.physicalMax,
                                                global_.physicalMaxUnsigned, global_.physicalMaxSize);
                caps.units = global_.unit;
                caps.unitExponent = global_.unitExponent;
                if (!TakeDataIndices(kind, indices, caps.dataIndexMin, caps.dataIndexMax)) return;
                current_.valueCaps[kind].push_back(caps);
            }
            field += fields;
        }
    }

    struct LocalUsage {
        RawUsage min, max;
        bool isRange;
    };

    const uint8_t* data_;
    size_t length_;
    bool stopped_ = false;
    ParsedDescriptor result_;

    GlobalState global_;
    std::vector<GlobalState> globalStack_;
    std::vector<LocalUsage> localUsages_;
    RawUsage pendingMin_;
    bool hasPendingMin_ = false;
    bool delimiterOpen_ = false;
    size_t delimiterFirst_ = 0;

    size_t depth_ = 0;
    ParsedCollection current_;
    std::array<std::array<uint64_t, 256>, kHidReportKinds> reportBits_{};
    std::array<std::bitset<256>, kHidReportKinds> seenIds_{};
};

}  // namespace

ParsedDescriptor ParseReportDescriptor(const uint8_t* data, size_t length) {
    if (!data || length == 0) {
        ParsedDescriptor empty;
        empty.ok = false;
        empty.error = "empty descriptor";
        return empty;
    }
    return DescriptorParser(data, length).Run();
}

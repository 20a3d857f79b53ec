#include "store/JsonAccess.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace {
const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}
}  // namespace

const Json::Value& MemberOf(const Json::Value& value, const char* key) {
    if (!value.isObject()) return NullValue();
    const Json::Value* found = value.find(key, key + std::char_traits<char>::length(key));
    return found ? *found : NullValue();
}

const Json::Value& ElementOf(const Json::Value& value, int index) {
    if (!value.isArray() || index < 0 || static_cast<Json::ArrayIndex>(index) >= value.size())
        return NullValue();
    return value[static_cast<Json::ArrayIndex>(index)];
}

int ArraySize(const Json::Value& value) {
    return value.isArray() ? static_cast<int>(value.size()) : 0;
}

int32_t ToInt32(const Json::Value& value, int32_t fallback) {
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return static_cast<int32_t>(static_cast<uint32_t>(value.asInt64()));
    if (value.isUInt64()) return static_cast<int32_t>(static_cast<uint32_t>(value.asUInt64()));
    if (value.isDouble()) {
        double d = value.asDouble();
        if (!std::isfinite(d) || std::fabs(d) >= 9.0e18) return fallback;
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<long long>(d)));
    }
    return fallback;
}

bool ToBool(const Json::Value& value) {
    if (value.isBool()) return value.asBool();
    if (value.isInt64()) return value.asInt64() != 0;
    if (value.isUInt64()) return value.asUInt64() != 0;
    if (value.isDouble()) return value.asDouble() != 0.0;
    return false;
}

std::string ToText(const Json::Value& value) { return value.isString() ? value.asString() : std::string(); }

int32_t ParseDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(std::numeric_limits<int32_t>::max()) + 1) break;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t NumberOrDecimalText(const Json::Value& value) {
    if (value.isString()) return ParseDecimal(value.asString());
    return ToInt32(value, 0);
}

Json::Value& AsObject(Json::Value& value) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value;
}

Json::Value& AsArray(Json::Value& value) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value;
}

Json::Value& ObjectMember(Json::Value& object, const char* key) { return AsObject(object)[key]; }

Json::Value& ArrayElement(Json::Value& array, int index) {
    AsArray(array);
    if (index < 0) index = 0;
    if (index > kMaxJsonArrayIndex) index = kMaxJsonArrayIndex;
    return array[static_cast<Json::ArrayIndex>(index)];
}

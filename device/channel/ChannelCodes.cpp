#include "device/channel/ChannelCodes.h"

namespace {
struct ResultText {
    int result;
    const char* text;
};
constexpr ResultText kResultTexts[] = {
    {kChannelOk, "success"},
    {kChannelNoReply, "not connected, or no reply within the time-out"},
    {kChannelWriteFailed, "writing the request failed"},
    {kChannelOutOfReach, "the receiver cannot reach the device (0xAA)"},
    {kChannelStatusFF, "the device answered status 0xFF"},
    {kChannelStatusFE, "the device answered status 0xFE"},
    {kChannelBadBank, "key-table bank other than 0"},
};
}  // namespace

const char* ChannelResultText(int result) {
    for (const auto& entry : kResultTexts)
        if (entry.result == result) return entry.text;
    return "unknown result";
}

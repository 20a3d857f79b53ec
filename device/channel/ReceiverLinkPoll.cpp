#include "device/channel/ReceiverLinkPoll.h"

#include "device/channel/CommandChannel.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"

int PollReceiverLink(CCommandChannel& channel, int attempts, uint32_t pauseMs) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) Sleep(pauseMs);
        if (channel.QueryReceiverLink() == 1) return 1;
        DebugOutput("获取2.4G模式失败");
    }
    return 0;
}

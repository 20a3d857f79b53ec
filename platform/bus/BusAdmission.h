#pragma once
// Which messages from the bus reach a window. Each check gives the reason for refusing, or
// nullptr when the message is admitted. The rows are in KnownMessages.h.
#include <cstddef>
#include <cstdint>
#include <string_view>

// By name only: registered and not in-process only.
const char* RefusalOfMessage(std::string_view name);
// By name and arguments: also each argument within its row's range.
const char* RefusalOfMessage(std::string_view name, uint64_t wParam, int64_t lParam);
// By size only.
const char* RefusalOfCopyData(size_t size);
// By data id and size: a documented id, and no more than the limit.
const char* RefusalOfCopyData(uint64_t dataId, size_t size);

#pragma once
// Which messages from the bus reach a window. Each check gives the reason for refusing, or
// nullptr when the message is admitted.
#include <cstddef>
#include <string_view>

const char* RefusalOfMessage(std::string_view name);
const char* RefusalOfCopyData(size_t size);

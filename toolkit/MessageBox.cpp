#include "toolkit/MessageBox.h"

#include <atomic>

namespace {
std::atomic<MessageBoxFunction> g_messageBox{nullptr};
}  // namespace

void SetMessageBoxFunction(MessageBoxFunction function) { g_messageBox = function; }

int AskMessageBox(DuiLib::HWND parent, const std::string& title, const std::string& text, int dpi, int textIsKey,
                  int buttons) {
    const MessageBoxFunction function = g_messageBox.load();
    return function ? function(parent, title, text, dpi, textIsKey, buttons) : 0;
}

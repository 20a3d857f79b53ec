#pragma once
// Window messages: every toolkit window has a queue. PostMessage and SendMessage work from any
// thread; a send from a worker blocks until the UI thread handled it, except that a send to a
// window being destroyed returns 0 at once, so shutdown never waits on a blocked worker.
#include <functional>
#include <string>

#include "toolkit/UIDefs.h"

namespace DuiLib {

class CWindowWnd;

// One value per name for the life of the process, from 0xC000 on; 0 for an empty name.
UINT RegisterWindowMessage(const std::string& name);
// False when the window does not exist (any more) or is being destroyed.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Like PostMessage; onDropped runs (on some thread) when the message can never be handled,
// so that a message carrying an allocation does not leak it.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, std::function<void()> onDropped);
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
bool IsWindow(HWND hwnd);
// UI thread only: the window of a handle, nullptr when there is none.
CWindowWnd* FromHandle(HWND hwnd);

namespace detail {
class QueueContext;
// The window's life in the registry (UI thread).
HWND RegisterWindow(CWindowWnd* window, QueueContext* context);
void BeginDestroyWindow(HWND hwnd);
}  // namespace detail

}  // namespace DuiLib

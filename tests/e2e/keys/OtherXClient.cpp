#include "tests/e2e/keys/OtherXClient.h"

#include <X11/Xlib.h>

struct OtherClient::State {
    Display* display = nullptr;
    Window window = 0;
};

OtherClient::OtherClient() : state_(std::make_unique<State>()) {
    Display* display = state_->display = XOpenDisplay(nullptr);
    if (!display) return;
    Window window = state_->window = XCreateSimpleWindow(display, DefaultRootWindow(display), 600, 600, 80, 80, 0, 0, 0);
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapRaised(display, window);
    for (XEvent e;;) {
        XNextEvent(display, &e);
        if (e.type == MapNotify) break;
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
}

OtherClient::~OtherClient() {
    if (state_->display) XCloseDisplay(state_->display);
}

bool OtherClient::Ready() const { return state_->display != nullptr; }

std::vector<std::string> OtherClient::TakeKeys() {
    std::vector<std::string> keys;
    XSync(state_->display, False);
    while (XPending(state_->display) > 0) {
        XEvent e;
        XNextEvent(state_->display, &e);
        if (e.type != KeyPress) continue;
        const char* name = XKeysymToString(XLookupKeysym(&e.xkey, 0));
        keys.push_back(name ? name : "?");
    }
    return keys;
}

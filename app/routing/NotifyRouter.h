#pragma once
// Turns a toolkit notification (type, sender) into a call on the active engine or its panels,
// through the routing tables.
#include "app/routing/RouteHost.h"
#include "toolkit/UIDefs.h"

class CNotifyRouter {
public:
    explicit CNotifyRouter(IRouteHost& host) : host_(host) {}

    // Runs every matching row. Returns false when the toolkit's default handling must be skipped.
    bool Route(DuiLib::TNotifyUI& msg);

private:
    IRouteHost& host_;
};

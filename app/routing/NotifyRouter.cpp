#include "app/routing/NotifyRouter.h"

#include "app/routing/RouteTables.h"
#include "toolkit/Control.h"

bool CNotifyRouter::Route(DuiLib::TNotifyUI& msg) {
    // Removing or editing a list row is the panel's own business, never the toolkit's.
    if (msg.sType == "click_wpremove" || msg.sType == "click_wpedit") return false;
    if (!msg.pSender) return true;
    const std::string name = msg.pSender->GetName();
    for (const RouteTable& table : RouteTables()) {
        if (msg.sType != table.type) continue;
        for (const RouteRow& row : table.rows) {
            int number = -1;
            if (!RowMatches(row, name, table.caseSensitive, number)) continue;
            RouteCall call{host_, msg, name, number};
            row.handler(call);
        }
    }
    return true;
}

#pragma once
// The routing tables: which notification of which control goes where. A row matches the
// sender's whole name, or the prefix of a name that ends in "_" and a number; every matching row
// of a table runs, so an indexed name also runs the row of its full name.
#include <cstddef>
#include <span>
#include <string>

#include "toolkit/UIDefs.h"

class IRouteHost;

enum class NameMatch { Exact, ExactCaseSensitive, Prefix };

struct RouteCall {
    IRouteHost& host;
    DuiLib::TNotifyUI& msg;
    const std::string& name;  // the sender's name
    int number;               // the number after the prefix, -1 for a whole-name match
};

using RouteHandler = void (*)(RouteCall&);

struct RouteRow {
    NameMatch match;
    const char* name;
    RouteHandler handler;  // never null (the routing test checks every row)
    const char* target;    // what the row stands for, for the debug output
};

struct RouteTable {
    const char* type;  // notification type, matched exactly
    std::span<const RouteRow> rows;
    bool caseSensitive;  // click names are compared without regard to case, the others exactly
};

std::span<const RouteTable> RouteTables();

// True when the row matches the name; number receives the index of a prefix match.
bool RowMatches(const RouteRow& row, const std::string& name, bool caseSensitive, int& number);

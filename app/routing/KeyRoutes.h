#pragma once
// Handlers of the key assignment panel's and the macro editor's rows.
#include "app/routing/RouteTables.h"

namespace route {

// "key_" + N on the key picture.
void SelectKey(RouteCall& call);
// Controls of the key assignment panel.
void KeySet(RouteCall& call);
// "keyset_keyboard_text_edit" lost the focus: key capture ends.
void KeyCaptureEnd(RouteCall& call);
// Controls of the macro editor.
void Macro(RouteCall& call);
void MacroRecordStart(RouteCall& call);
void MacroRecordStop(RouteCall& call);

}  // namespace route

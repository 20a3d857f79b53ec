#include "engines/lighting/KeyboardLightingShared.h"

CKeyboardLightingShared& CKeyboardLightingShared::ProcessWide() {
    static CKeyboardLightingShared shared;
    return shared;
}

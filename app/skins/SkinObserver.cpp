#include "app/skins/SkinObserver.h"

SkinObserver& TheSkinObserver() {
    static SkinObserver observer;
    return observer;
}

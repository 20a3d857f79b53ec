#include "app/shell/InterfaceScale.h"

int ChooseInterfaceDpi(int monitorWidth, int monitorHeight) {
    return monitorWidth > 1500 && monitorHeight > 960 ? 144 : 96;
}

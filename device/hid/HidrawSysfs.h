#pragma once
// What sysfs tells about one hidraw node: ids from the HID device's uevent
// (HID_ID=bus:vendor:product), release number from the USB device's bcdDevice, interface number
// from the USB interface's bInterfaceNumber, and the report descriptor.
#include <string>
#include <vector>

#include "device/hid/HidTransport.h"

// sysfsRoot is "/sys" on a real system; tests point it at a fake tree. False when the node is
// unknown or its uevent or descriptor cannot be read.
bool ReadHidrawInfo(const std::string& sysfsRoot, const std::string& nodeName, HidInterfaceInfo& info);
// The hidraw node names under <sysfsRoot>/class/hidraw, in number order.
std::vector<std::string> ListHidrawNodes(const std::string& sysfsRoot);

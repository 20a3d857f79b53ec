#pragma once
// What the platform's HID parser reports per top-level collection of a raw report descriptor.
#include <json/json.h>

#include <string>

#include "device/hid/ReportDescriptor.h"

// {"collections": [...]} with the lengths, the cap counts per report kind and every capability.
Json::Value DescriptorToJson(const ParsedDescriptor& descriptor);
std::string DescriptorToText(const ParsedDescriptor& descriptor);

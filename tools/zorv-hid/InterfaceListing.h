#pragma once
// Every interface path the manager would see, what it is, and why it does or does not match.
#include <json/json.h>

#include <cstdint>
#include <string>
#include <vector>

struct ListedInterface {
    std::string path;
    bool opened = false;  // opened for reading as the scanning thread probes it
    uint16_t vendorId = 0, productId = 0, version = 0;
    uint16_t interfaceNumber = 0, collectionNumber = 0;
    uint16_t usagePage = 0, usage = 0;
    uint16_t inputLength = 0, outputLength = 0, featureLength = 0;
    int row = -1;           // interface-table row the interface matches
    std::string problem;    // why a supported product's interface does not match, or cannot be opened
};

// Enumerates every backend and probes each path.
std::vector<ListedInterface> ListInterfaces();

Json::Value ListingToJson(const std::vector<ListedInterface>& listing);
std::string ListingToText(const std::vector<ListedInterface>& listing);
// Why a path could not be opened, with what to do about it.
std::string OpenFailureReason(const std::string& path);
// What the user should do when the manager would not find a keyboard; empty when it would.
std::vector<std::string> DiagnoseListing(const std::vector<ListedInterface>& listing);

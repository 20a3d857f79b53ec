#pragma once
// The run-time copies of the model tables: the compiled rows, then the rows of the device files
// (products added without rebuilding the program). Every look-up, the device list and the update
// window read these; the compiled tables themselves never change.
//
// Device files are loaded once at start, before any thread reads the tables; the views below stay
// valid until the next load.
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "device/registry/ModelTables.h"

std::span<const DeviceInterfaceRow> InterfaceTable();
std::span<const DevicePageEntry> PageTable();
std::span<const DeviceLayoutEntry> LayoutTable();  // one row per page row, same index
std::span<const ProductInfoEntry> ProductTable();  // the last row stands for the application

// The model name a page's list entry shows: a device file's product name, else the product row of
// the page's model index (none for the application row).
std::string PageModelName(int pageRow);

struct DeviceFileReport {
    std::vector<std::string> added;     // product names, in load order
    std::vector<std::string> problems;  // "<file>: <reason>", one per skipped file
};

// The folders device files are read from: "devices.d/" in the program folder, then in the user's
// configuration folder.
std::vector<std::filesystem::path> DeviceFileFolders();
// Back to the compiled tables, then every "*.json" of the folders in name order, each folder in
// turn. A file that is not valid is skipped and reported; nothing else changes for it.
DeviceFileReport LoadDeviceFiles(const std::vector<std::filesystem::path>& folders);
// The compiled tables only (tests).
void ResetModelRegistry();

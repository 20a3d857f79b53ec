// zorv-hid: the HID inspector, for when the manager does not find a keyboard.
#include <json/json.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ChannelCommands.h"
#include "DescriptorReport.h"
#include "HexText.h"
#include "InterfaceListing.h"
#include "device/registry/ModelRegistry.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char kUsage[] =
    "usage: zorv-hid [--json] COMMAND\n"
    "  list                     every HID interface path the manager would see, and the row it matches\n"
    "  decode FILE|-            the top-level collections of a raw report descriptor (binary or hex text)\n"
    "  exchange [--checksum] PATH HEX...\n"
    "                           one request/reply exchange on the command channel, both packets dumped;\n"
    "                           --checksum fills bytes 1-2 with the packet's checksum\n"
    "  info PATH                BeginConfig, ReadDeviceInfo, EndConfig and what the device reports\n"
    "  --json                   machine-readable output\n";

void PrintJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    std::cout << Json::writeString(builder, value) << "\n";
}

int List(bool json) {
    // The manager reads the same device files at start, so the listing matches what it would do.
    const DeviceFileReport files = LoadDeviceFiles(DeviceFileFolders());
    for (const std::string& problem : files.problems) std::cerr << "device file skipped: " << problem << "\n";
    if (!json)
        for (const std::string& name : files.added) std::cout << "device file product: " << name << "\n";
    const std::vector<ListedInterface> listing = ListInterfaces();
    const std::vector<std::string> advice = DiagnoseListing(listing);
    if (json) {
        PrintJson(ListingToJson(listing));
    } else {
        std::cout << ListingToText(listing);
        std::cout << listing.size() << " interface path(s)\n";
    }
    for (const std::string& line : advice) std::cerr << line << "\n";
    return advice.empty() ? kExitOk : kExitFailed;
}

bool ReadAll(const std::string& source, std::vector<uint8_t>& bytes) {
    if (source == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream file(source, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

int Decode(const std::string& source, bool json) {
    std::vector<uint8_t> bytes;
    if (!ReadAll(source, bytes)) {
        std::cerr << "cannot read " << source << "\n";
        return kExitFailed;
    }
    if (LooksLikeHexText(bytes)) {
        std::string error;
        std::vector<uint8_t> parsed;
        if (!ParseHexBytes(std::string(bytes.begin(), bytes.end()), parsed, error)) {
            std::cerr << source << ": " << error << "\n";
            return kExitFailed;
        }
        bytes = std::move(parsed);
    }
    if (bytes.empty()) {
        std::cerr << source << ": empty report descriptor\n";
        return kExitFailed;
    }
    const ParsedDescriptor descriptor = ParseReportDescriptor(bytes);
    if (json)
        PrintJson(DescriptorToJson(descriptor));
    else
        std::cout << DescriptorToText(descriptor);
    if (!descriptor.ok) {
        std::cerr << source << ": the descriptor is malformed: " << descriptor.error << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int Report(const ChannelRun& run, bool json) {
    if (!run.opened) {
        std::cerr << "cannot open " << run.json["path"].asString() << ": " << run.openProblem << "\n";
        if (json) PrintJson(run.json);
        return kExitFailed;
    }
    if (json)
        PrintJson(run.json);
    else
        std::cout << run.text;
    return run.ok ? kExitOk : kExitFailed;
}

int Exchange(std::vector<std::string> args, bool json) {
    bool fillChecksum = false;
    if (!args.empty() && args.front() == "--checksum") {
        fillChecksum = true;
        args.erase(args.begin());
    }
    if (args.size() < 2) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    std::string hex;
    for (size_t i = 1; i < args.size(); ++i) hex += args[i] + " ";
    std::vector<uint8_t> request;
    std::string error;
    if (!ParseHexBytes(hex, request, error) || request.empty()) {
        std::cerr << "bad request bytes: " << (error.empty() ? "none given" : error) << "\n";
        return kExitUsage;
    }
    return Report(RunExchange(args[0], std::move(request), fillChecksum), json);
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json")
            json = true;
        else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return kExitOk;
        } else
            args.push_back(arg);
    }
    if (args.empty()) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "list" && args.empty()) return List(json);
    if (command == "decode" && args.size() == 1) return Decode(args[0], json);
    if (command == "exchange") return Exchange(args, json);
    if (command == "info" && args.size() == 1) return Report(RunInfo(args[0]), json);
    std::cerr << kUsage;
    return kExitUsage;
}

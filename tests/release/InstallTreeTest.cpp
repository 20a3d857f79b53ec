// The tree that `cmake --install` gives, which is what the package ships: every command a link
// into the program folder with its manual page, a self-contained program folder, the desktop
// metadata, and the access rule and hardware match for every keyboard the model tables support.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "device/registry/ModelTables.h"
#include "tests/support/ChildProcess.h"

namespace fs = std::filesystem;

namespace {

const char kAppId[] = "org.zorv.WiredManager";
const char kProgramFolder[] = "lib/zorv-wired-manager";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ProductKey(uint16_t vendor, uint16_t product) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Vendor and product of every interface row a real device can match.
std::set<std::string> SupportedProducts() {
    std::set<std::string> products;
    for (const DeviceInterfaceRow& row : kInterfaceTable)
        if (row.vendorId != 0) products.insert(ProductKey(row.vendorId, row.productId));
    return products;
}

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* tmp = std::getenv("ZORV_TEST_TMP");
        base_ = fs::path(tmp ? tmp : "/tmp/zorv-install-tree-tests");
        fs::remove_all(base_);
        fs::create_directories(base_);
        prefix_ = base_ / "usr";
        const fs::path log = base_ / "install.log";
        const pid_t pid = testsupport::Spawn({ZORV_CMAKE, "--install", ZORV_BUILD_TREE, "--prefix", prefix_.string()}, log);
        installStatus_ = testsupport::WaitExit(pid, 120000);
        installLog_ = ReadFile(log);
    }

    void SetUp() override {
        ASSERT_EQ(installStatus_, 0) << "cmake --install failed (is everything built?):\n" << installLog_;
    }

    static bool ManagerBuilt() { return fs::exists(fs::path(ZORV_BUILD_TREE) / "bin" / "zorv-wired-manager"); }

    static fs::path base_;
    static fs::path prefix_;
    static int installStatus_;
    static std::string installLog_;
};

fs::path InstalledTree::base_;
fs::path InstalledTree::prefix_;
int InstalledTree::installStatus_ = -1;
std::string InstalledTree::installLog_;

TEST_F(InstalledTree, EveryCommandIsALinkIntoTheProgramFolderWithAManualPage) {
    std::set<std::string> commands;
    for (const auto& entry : fs::directory_iterator(prefix_ / "bin")) {
        const std::string name = entry.path().filename();
        commands.insert(name);
        ASSERT_TRUE(entry.is_symlink()) << name;
        // Relative, so that the tree works wherever the prefix is.
        const fs::path target = fs::read_symlink(entry.path());
        EXPECT_TRUE(target.is_relative()) << name << " -> " << target;
        EXPECT_EQ(fs::weakly_canonical(entry.path()), fs::canonical(prefix_ / kProgramFolder / name)) << name;
        EXPECT_TRUE((fs::status(entry.path()).permissions() & fs::perms::others_exec) != fs::perms::none) << name;

        const std::string page = ReadFile(prefix_ / "share/man/man1" / (name + ".1.gz"));
        ASSERT_GE(page.size(), 2u) << "no manual page for " << name << " (add resources/linux/man/" << name << ".1)";
        EXPECT_EQ(static_cast<unsigned char>(page[0]), 0x1f) << name;
        EXPECT_EQ(static_cast<unsigned char>(page[1]), 0x8b) << name;
    }
    std::set<std::string> expected{"zorv-emulator", "zorv-hid", "zorv-msg"};
    if (ManagerBuilt()) expected.insert("zorv-wired-manager");
    for (const std::string& command : expected) EXPECT_TRUE(commands.count(command)) << command;
}

TEST_F(InstalledTree, ProgramFolderHoldsThePagesOfEverySupportedKeyboardAndNoSources) {
    const fs::path folder = prefix_ / kProgramFolder;
    auto layout = [&](std::string name) {
        for (char& c : name)
            if (c == '\\') c = '/';
        return folder / "skin" / name;
    };
    // The pages a real device reaches; the other families' pages come with their engines.
    const std::set<std::string> supported = SupportedProducts();
    for (size_t i = 0; i < kPageTable.size(); ++i) {
        const DevicePageEntry& page = kPageTable[i];
        if (!supported.count(ProductKey(uint16_t(page.vendorId), uint16_t(page.productId)))) continue;
        EXPECT_TRUE(fs::is_regular_file(layout(page.listEntryLayout))) << page.listEntryLayout;
        EXPECT_TRUE(fs::is_regular_file(layout(kLayoutTable[i].pageLayout))) << kLayoutTable[i].pageLayout;
    }
    for (const char* file : {"skin/res.xml", "skin/lang/lan_en.xml", "skin/lang/lan_cn.xml", "DefaultData/Language.config",
                             "DefaultData/keyboard.Json", "DefaultData/default_light.json"})
        EXPECT_TRUE(fs::is_regular_file(folder / file)) << file;

    for (const auto& entry : fs::recursive_directory_iterator(prefix_)) {
        const std::string path = entry.path().string();
        EXPECT_EQ(path.find("toolkit-test"), std::string::npos) << path;
        EXPECT_NE(entry.path().extension(), ".py") << path;
        EXPECT_NE(entry.path().extension(), ".tsv") << path;
        if (entry.is_directory()) {
            EXPECT_FALSE(fs::is_empty(entry.path())) << "empty folder " << path;
        }
    }
}

// The headset engine loads the audio library from the program folder by these names.
TEST_F(InstalledTree, ProgramFolderHoldsTheHeadsetAudioLibraryWithItsEntryPoints) {
    const fs::path library = prefix_ / kProgramFolder / "SDK/libosConfLib.so";
    ASSERT_TRUE(fs::is_regular_file(library)) << library;
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    for (const char* entry : {"ConfLibInit", "ConfLibUnInit", "CreateDeviceList", "GetDeviceCount", "GetDeviceById",
                              "PropertyControl"})
        EXPECT_NE(dlsym(handle, entry), nullptr) << entry;
    dlclose(handle);
}

TEST_F(InstalledTree, EverySupportedKeyboardHasTheAccessRuleAndAHardwareMatch) {
    const std::set<std::string> supported = SupportedProducts();
    ASSERT_FALSE(supported.empty());

    // hidraw lines only: the rule may grant other nodes of the same keyboards too.
    std::set<std::string> granted;
    const std::regex hidrawLine(
        R"re(SUBSYSTEM=="hidraw".*ATTRS\{idVendor\}=="([0-9a-fA-F]{4})".*ATTRS\{idProduct\}=="([0-9a-fA-F]{4})".*TAG\+="uaccess")re");
    std::istringstream rule(ReadFile(prefix_ / "lib/udev/rules.d/70-zorv-wired-manager.rules"));
    for (std::string line; std::getline(rule, line);) {
        std::smatch match;
        if (line.rfind('#', 0) != 0 && std::regex_search(line, match, hidrawLine))
            granted.insert(Lower(match[1].str()) + ":" + Lower(match[2].str()));
    }
    EXPECT_EQ(granted, supported) << "the udev rule's hidraw lines and the interface table differ";

    // Software centres offer the program for these devices; USB ids are upper-case hex there.
    std::set<std::string> matched;
    const std::string metainfo = ReadFile(prefix_ / "share/metainfo" / (std::string(kAppId) + ".metainfo.xml"));
    const std::regex modalias(R"(<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*</modalias>)");
    for (auto it = std::sregex_iterator(metainfo.begin(), metainfo.end(), modalias); it != std::sregex_iterator(); ++it)
        matched.insert(Lower((*it)[1].str()) + ":" + Lower((*it)[2].str()));
    EXPECT_EQ(matched, supported) << "the metainfo's modalias list and the interface table differ";
}

// The PNG header's width and height.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto word = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
               uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
    };
    return {word(16), word(20)};
}

TEST_F(InstalledTree, DesktopEntryMetainfoAndIconsNameTheSameProgram) {
    if (!ManagerBuilt()) GTEST_SKIP() << "the manager is not part of this build (ZORV_BUILD_UI=OFF)";
    const std::string desktopName = std::string(kAppId) + ".desktop";
    const std::string desktop = ReadFile(prefix_ / "share/applications" / desktopName);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(desktop, match, std::regex(R"(\nExec=([^ \n]+))")));
    EXPECT_TRUE(fs::exists(prefix_ / "bin" / match[1].str())) << match[1];
    ASSERT_TRUE(std::regex_search(desktop, match, std::regex(R"(\nIcon=([^\n]+))")));
    const std::string icon = match[1];
    EXPECT_EQ(icon, kAppId);

    const fs::path hicolor = prefix_ / "share/icons/hicolor";
    EXPECT_TRUE(fs::is_regular_file(hicolor / "scalable/apps" / (icon + ".svg")));
    for (uint32_t size : {16u, 24u, 32u, 48u, 64u, 128u, 256u}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(PngSize(ReadFile(hicolor / folder / "apps" / (icon + ".png"))), std::make_pair(size, size)) << folder;
    }

    const std::string metainfo = ReadFile(prefix_ / "share/metainfo" / (std::string(kAppId) + ".metainfo.xml"));
    EXPECT_NE(metainfo.find("<id>" + std::string(kAppId) + "</id>"), std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + desktopName + "</launchable>"), std::string::npos);
    EXPECT_EQ(metainfo.find('@'), std::string::npos) << "a configure variable was left unreplaced";
    const std::regex binary(R"(<binary>([^<]+)</binary>)");
    for (auto it = std::sregex_iterator(metainfo.begin(), metainfo.end(), binary); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(fs::exists(prefix_ / "bin" / (*it)[1].str())) << (*it)[1];
    EXPECT_NE(metainfo.find("<caption>"), std::string::npos) << "screenshots need their captions";
}

}  // namespace

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/hid/HidrawBackend.h"
#include "device/hid/HidrawSysfs.h"
#include "platform/Event.h"
#include "tests/device/hid/TestDescriptors.h"
#include "tests/device/hid/TestTempDir.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A sysfs tree shaped like the kernel's: class/hidraw/<node>/device links to the HID device,
// which sits below the USB interface, which sits below the USB device.
class FakeSysfs {
public:
    explicit FakeSysfs(fs::path root) : root_(std::move(root)) {
        fs::remove_all(root_);
        fs::create_directories(Sys() / "class" / "hidraw");
        fs::create_directories(Dev());
    }
    ~FakeSysfs() { fs::remove_all(root_); }

    // usbDevice empty: a device with no USB parent (Bluetooth, I2C).
    void AddNode(const std::string& node, const std::string& uevent, const std::vector<uint8_t>& descriptor,
                 const std::string& usbDevice, const std::string& interfaceNumber, const std::string& bcdDevice) {
        fs::path hid = Sys() / "devices" / "pci0000:00";
        if (!usbDevice.empty()) {
            hid = hid / usbDevice;
            WriteFile(hid / "bcdDevice", bcdDevice + "\n");
            hid = hid / (usbDevice + ":1." + interfaceNumber);
            WriteFile(hid / "bInterfaceNumber", interfaceNumber + "\n");
        }
        hid = hid / ("hid-" + node);
        WriteFile(hid / "uevent", uevent);
        WriteFile(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
        fs::create_directories(Sys() / "class" / "hidraw" / node);
        fs::create_directory_symlink(hid, Sys() / "class" / "hidraw" / node / "device");
        mkfifo((Dev() / node).c_str(), 0600);
    }
    fs::path Sys() const { return root_ / "sys"; }
    fs::path Dev() const { return root_ / "dev"; }

private:
    fs::path root_;
};

fs::path TestRoot() { return TestTempDir("sysfs"); }

constexpr char kReceiverUevent[] = "DRIVER=hid-generic\nHID_ID=0003:00007A61:00005062\nHID_NAME=Zorv T5K1\n";

TEST(HidrawSysfs, ReadsIdsVersionInterfaceAndDescriptor) {
    FakeSysfs sysfs(TestRoot());
    sysfs.AddNode("hidraw4", kReceiverUevent, testdesc::Receiver(), "1-2", "01", "0105");
    sysfs.AddNode("hidraw10", "HID_ID=0005:0000046D:0000B01A\n", testdesc::kBootMouse, "", "", "");
    sysfs.AddNode("hidraw2", "HID_NAME=no ids here\n", testdesc::kBootMouse, "1-3", "00", "0001");

    HidInterfaceInfo info;
    ASSERT_TRUE(ReadHidrawInfo(sysfs.Sys(), "hidraw4", info));
    EXPECT_EQ(info.vendorId, 0x7A61);
    EXPECT_EQ(info.productId, 0x5062);
    EXPECT_EQ(info.version, 0x0105);
    EXPECT_EQ(info.interfaceNumber, 1);
    EXPECT_EQ(info.reportDescriptor, testdesc::Receiver());

    ASSERT_TRUE(ReadHidrawInfo(sysfs.Sys(), "hidraw10", info));
    EXPECT_EQ(info.vendorId, 0x046D);
    EXPECT_EQ(info.productId, 0xB01A);
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.interfaceNumber, 0);

    EXPECT_FALSE(ReadHidrawInfo(sysfs.Sys(), "hidraw2", info));   // uevent without HID_ID
    EXPECT_FALSE(ReadHidrawInfo(sysfs.Sys(), "hidraw99", info));  // no such node
    EXPECT_EQ(ListHidrawNodes(sysfs.Sys()), (std::vector<std::string>{"hidraw2", "hidraw4", "hidraw10"}));
}

TEST(HidrawBackend, EnumeratesEveryCollectionOfEveryReadableNode) {
    FakeSysfs sysfs(TestRoot());
    sysfs.AddNode("hidraw4", kReceiverUevent, testdesc::Receiver(), "1-2", "01", "0105");
    sysfs.AddNode("hidraw10", "HID_ID=0005:0000046D:0000B01A\n", testdesc::kBootMouse, "", "", "");
    HidrawBackend backend(sysfs.Sys(), sysfs.Dev());
    std::vector<std::string> paths;
    backend.Enumerate(paths);
    const std::string node4 = "hidraw:" + (sysfs.Dev() / "hidraw4").string() + "#vid_7a61&pid_5062&mi_01";
    EXPECT_EQ(paths, (std::vector<std::string>{node4 + "&col01", node4 + "&col02", node4 + "&col03",
                                               node4 + "&col04",
                                               "hidraw:" + (sysfs.Dev() / "hidraw10").string() +
                                                   "#vid_046d&pid_b01a&mi_00"}));
}

TEST(HidrawBackend, OpensOnlyNodesOfTheDeviceFolder) {
    FakeSysfs sysfs(TestRoot());
    sysfs.AddNode("hidraw4", kReceiverUevent, testdesc::Receiver(), "1-2", "01", "0105");
    HidrawBackend backend(sysfs.Sys(), sysfs.Dev());
    const std::string dev = sysfs.Dev().string();
    const std::string refused[] = {
        "hidraw:/etc/passwd#vid_7a61&pid_5062&mi_01&col04",
        "hidraw:" + dev + "/../dev/hidraw4#vid_7a61&pid_5062&mi_01&col04",
        "hidraw:" + dev + "/hidraw4#vid_7a61&pid_5062&mi_01&col09",  // no such collection
        "hidraw:" + dev + "/hidraw4#vid_7a61&pid_5062&mi_01",        // several collections: one must be named
        "hidraw:" + dev + "/hidraw5#vid_7a61&pid_5062&mi_01&col01",
    };
    for (const std::string& path : refused) {
        SCOPED_TRACE(path);
        EXPECT_EQ(backend.Open(path, true, true), nullptr);
    }
    auto probe = backend.Open("hidraw:" + dev + "/hidraw4#vid_7a61&pid_5062&mi_01&col04", false, false);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->Collection(), 4);
}

// The node is a FIFO here: what the test writes into it is what "the device" sent.
TEST(HidrawBackend, ReadsDropForeignReportsAndPrefixUnnumberedOnes) {
    FakeSysfs sysfs(TestRoot());
    sysfs.AddNode("hidraw4", kReceiverUevent, testdesc::Receiver(), "1-2", "01", "0105");
    sysfs.AddNode("hidraw10", "HID_ID=0005:0000046D:0000B01A\n", testdesc::kBootMouse, "", "", "");
    HidrawBackend backend(sysfs.Sys(), sysfs.Dev());
    Event abort(false, false);
    uint8_t buffer[64] = {};
    uint32_t transferred = 0;

    auto vendor = backend.Open("hidraw:" + sysfs.Dev().string() + "/hidraw4#vid_7a61&pid_5062&mi_01&col04", true, true);
    ASSERT_NE(vendor, nullptr);
    const int feed4 = open((sysfs.Dev() / "hidraw4").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(feed4, 0);
    const uint8_t consumer[] = {0x03, 0xE9, 0x00};
    ASSERT_EQ(write(feed4, consumer, sizeof consumer), 3);
    EXPECT_EQ(vendor->Read(buffer, sizeof buffer, transferred, 50, abort), HidIoResult::Timeout);
    const uint8_t reply[] = {0x04, 0x06, 0x01};
    ASSERT_EQ(write(feed4, reply, sizeof reply), 3);
    ASSERT_EQ(vendor->Read(buffer, sizeof buffer, transferred, 1000, abort), HidIoResult::Ok);
    EXPECT_EQ(transferred, 3u);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_EQ(buffer[3], 0x00);  // the rest of the caller's buffer is cleared
    close(feed4);

    auto mouse = backend.Open("hidraw:" + sysfs.Dev().string() + "/hidraw10#vid_046d&pid_b01a&mi_00", true, true);
    ASSERT_NE(mouse, nullptr);
    const int feed10 = open((sysfs.Dev() / "hidraw10").c_str(), O_RDWR | O_NONBLOCK);
    const uint8_t motion[] = {0x01, 0xFE, 0x05};
    ASSERT_EQ(write(feed10, motion, sizeof motion), 3);
    ASSERT_EQ(mouse->Read(buffer, sizeof buffer, transferred, 1000, abort), HidIoResult::Ok);
    EXPECT_EQ(transferred, 4u);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), (std::vector<uint8_t>{0x00, 0x01, 0xFE, 0x05}));

    abort.Set();
    EXPECT_EQ(mouse->Read(buffer, sizeof buffer, transferred, INFINITE, abort), HidIoResult::Aborted);
    abort.Reset();

    // Writes keep the id byte, 0 for unnumbered reports: the kernel expects it first.
    const uint8_t output[] = {0x00, 0x11, 0x22};
    ASSERT_EQ(mouse->Write(output, sizeof output, transferred, 1000, abort), HidIoResult::Ok);
    uint8_t sent[8] = {};
    ASSERT_EQ(read(feed10, sent, sizeof sent), 3);
    EXPECT_EQ(std::vector<uint8_t>(sent, sent + 3), (std::vector<uint8_t>{0x00, 0x11, 0x22}));
    close(feed10);
}

}  // namespace

// The hello packet and the report descriptor the host enumerates.
#include <json/reader.h>

#include <map>

#include "EmulatorFixture.h"
#include "tools/zorv-emulator/HexText.h"

using namespace emu;

namespace {
struct TopCollection {
    uint32_t usagePage = 0;
    uint32_t usage = 0;
    uint32_t reportId = 0;
    std::map<uint8_t, uint32_t> bits;  // main item tag -> bits (0x80 input, 0x90 output)
    bool inputArray = false;
    int32_t logicalMax = 0;
};

// A small walker of short items: enough to see the top-level collections and their fields.
std::vector<TopCollection> WalkDescriptor(const std::vector<uint8_t>& d, bool& wellFormed) {
    std::vector<TopCollection> collections;
    uint32_t usagePage = 0, usage = 0, reportSize = 0, reportCount = 0, reportId = 0;
    int32_t logicalMax = 0;
    int depth = 0;
    wellFormed = true;
    for (size_t i = 0; i < d.size();) {
        uint8_t prefix = d[i];
        size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > d.size()) {
            wellFormed = false;
            break;
        }
        uint32_t value = 0;
        for (size_t b = 0; b < size; ++b) value |= static_cast<uint32_t>(d[i + 1 + b]) << (8 * b);
        uint8_t item = prefix & 0xFC;
        switch (item) {
            case 0x04: usagePage = value; break;
            case 0x08: usage = value; break;
            case 0x74: reportSize = value; break;
            case 0x94: reportCount = value; break;
            case 0x84: reportId = value; break;
            case 0x24: logicalMax = static_cast<int32_t>(value); break;
            case 0xA0:
                if (depth == 0 && value == 1) collections.push_back({usagePage, usage, 0, {}, false, 0});
                ++depth;
                break;
            case 0xC0:
                if (--depth < 0) wellFormed = false;
                break;
            case 0x80:
            case 0x90:
                if (!collections.empty()) {
                    TopCollection& c = collections.back();
                    c.reportId = reportId;
                    c.bits[item] += reportSize * reportCount;
                    if (item == 0x80 && !(value & 0x02) && !(value & 0x01)) {
                        c.inputArray = true;
                        c.logicalMax = logicalMax;
                    }
                }
                break;
            default: break;
        }
        i += 1 + size;
    }
    if (depth != 0) wellFormed = false;
    return collections;
}

Json::Value ParseHello(const std::string& text) {
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
    return root;
}
}  // namespace

class HelloTest : public EmulatorTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(HelloTest, GreetsEveryClientWithTheInterfaceIdentity) {
    auto keyboard = StartKeyboard(GetParam());
    RawHidClient client(keyboard->SocketPath());
    ASSERT_TRUE(client.Connected());
    Json::Value hello = ParseHello(client.Hello());
    EXPECT_EQ(hello["vid"].asInt(), 0x7A61);
    EXPECT_EQ(hello["pid"].asInt(), GetParam());
    EXPECT_EQ(hello["interface"].asInt(), 1);
    EXPECT_GT(hello["version"].asInt(), 0);
    EXPECT_FALSE(hello["name"].asString().empty());
    ASSERT_TRUE(hello["descriptor"].isString());
    EXPECT_TRUE(FromHex(hello["descriptor"].asString()).has_value());
}

INSTANTIATE_TEST_SUITE_P(Products, HelloTest, ::testing::Values(0x5062, 0x5085, 0x5086));

TEST_F(EmulatorTest, DescriptorHasTheFourCollectionsTheRegistryMatches) {
    auto keyboard = StartKeyboard();
    RawHidClient client(keyboard->SocketPath());
    auto descriptor = FromHex(ParseHello(client.Hello())["descriptor"].asString());
    ASSERT_TRUE(descriptor);
    bool wellFormed = false;
    std::vector<TopCollection> collections = WalkDescriptor(*descriptor, wellFormed);
    EXPECT_TRUE(wellFormed);
    ASSERT_EQ(collections.size(), 4u);

    struct Expected {
        uint32_t usagePage, usage, reportId;
    };
    const Expected expected[] = {{0x01, 0x06, 1}, {0x01, 0x80, 2}, {0x0C, 0x01, 3}, {0xFF1C, 0x92, 4}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE("collection " + std::to_string(i + 1));
        EXPECT_EQ(collections[i].usagePage, expected[i].usagePage);
        EXPECT_EQ(collections[i].usage, expected[i].usage);
        EXPECT_EQ(collections[i].reportId, expected[i].reportId);
    }
    // Events: one 16-bit array field reaching 0x1FFF.
    EXPECT_TRUE(collections[2].inputArray);
    EXPECT_EQ(collections[2].bits[0x80], 16u);
    EXPECT_EQ(collections[2].logicalMax, 0x1FFF);
    // Commands: 63 data bytes each way behind the id, 64-byte reports.
    EXPECT_EQ(collections[3].bits[0x80], 63u * 8);
    EXPECT_EQ(collections[3].bits[0x90], 63u * 8);
}

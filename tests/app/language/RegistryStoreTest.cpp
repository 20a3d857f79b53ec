#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Files.h"
#include "platform/RegistryStore.h"

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\SOFTWARE\\Zorv Wired Manager 1.0";

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("ZORV_TEST_TMP");
        dir_ = std::filesystem::path(tmp ? tmp : "/tmp/registry_store_tests") /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir_);
        path_ = (dir_ / "sub" / "registry.json").string();
    }
    void WriteRaw(const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
        std::ofstream(path_) << text;
    }
    std::string ReadRaw() const {
        std::string text;
        ReadWholeFile(path_, text);
        return text;
    }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(RegistryStoreTest, WritesAndReadsBackAValueCreatingFolderAndKey) {
    RegistryStore store(path_);
    uint32_t value = 7;
    EXPECT_FALSE(store.ReadDword(kKey, "LANGUAGE", value));
    EXPECT_FALSE(store.KeyExists(kKey));
    ASSERT_TRUE(store.WriteDword(kKey, "LANGUAGE", 2052));
    EXPECT_TRUE(store.KeyExists(kKey));
    ASSERT_TRUE(store.ReadDword(kKey, "LANGUAGE", value));
    EXPECT_EQ(value, 2052u);
    ASSERT_TRUE(store.WriteDword(kKey, "LANGUAGE", 0xFFFFFFFFu));
    ASSERT_TRUE(RegistryStore(path_).ReadDword(kKey, "LANGUAGE", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_NE(ReadRaw().find("\"HKEY_CURRENT_USER\\\\SOFTWARE\\\\Zorv Wired Manager 1.0\""), std::string::npos);
}

TEST_F(RegistryStoreTest, MissingKeyIsNotCreatedWhenCreationIsOff) {
    RegistryStore store(path_);
    EXPECT_FALSE(store.WriteDword(kKey, "LANGUAGE", 1033, false));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RegistryStoreTest, KeepsEveryMemberItDoesNotTouch) {
    WriteRaw(R"({
  "HKEY_CURRENT_USER\\SOFTWARE\\Other": {"Name": "caf\u00e9 \"quoted\"", "List": [1, {"a": [true, null]}], "N": -1.5e3},
  "Scalar": 42,
  "HKEY_CURRENT_USER\\SOFTWARE\\Zorv Wired Manager 1.0": {"KEEP": 1, "LANGUAGE": 1033}
})");
    RegistryStore store(path_);
    ASSERT_TRUE(store.WriteDword(kKey, "LANGUAGE", 2052));
    const std::string text = ReadRaw();
    for (const char* kept : {"\"Name\" : \"caf\\u00e9 \\\"quoted\\\"\"", "[1, {\"a\": [true, null]}]", "-1.5e3",
                             "\"Scalar\" : 42", "\"KEEP\" : 1", "\"LANGUAGE\" : 2052"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    uint32_t keep = 0;
    EXPECT_TRUE(store.ReadDword(kKey, "KEEP", keep));
    EXPECT_EQ(keep, 1u);
}

TEST_F(RegistryStoreTest, ValuesThatAreNoDwordReadAsMissing) {
    const struct {
        const char* raw;
        bool readable;
        uint32_t value;
    } cases[] = {
        {"0", true, 0},           {"4294967295", true, 0xFFFFFFFFu}, {"4294967296", false, 0}, {"-1", false, 0},
        {"1.5", false, 0},        {"\"2052\"", false, 0},            {"true", false, 0},       {"null", false, 0},
        {"99999999999", false, 0}, {"[2052]", false, 0},
    };
    for (const auto& c : cases) {
        WriteRaw(std::string("{\"") + "HKEY_CURRENT_USER\\\\SOFTWARE\\\\Zorv Wired Manager 1.0" + "\": {\"LANGUAGE\": " +
                 c.raw + "}}");
        uint32_t value = 12345;
        EXPECT_EQ(RegistryStore(path_).ReadDword(kKey, "LANGUAGE", value), c.readable) << c.raw;
        if (c.readable) {
            EXPECT_EQ(value, c.value) << c.raw;
        }
    }
}

TEST_F(RegistryStoreTest, DamagedFileReadsAsEmptyAndIsKeptAsideBeforeReplacing) {
    const std::string damaged[] = {"", "{", "not json", "{\"a\": }", "[1,2]", "{\"a\": \"\\x\"}", "{\"a\":1} trailing",
                                   std::string(200, '[')};
    for (const std::string& text : damaged) {
        std::filesystem::remove_all(dir_);
        WriteRaw(text);
        RegistryStore store(path_);
        uint32_t value = 0;
        EXPECT_FALSE(store.ReadDword(kKey, "LANGUAGE", value)) << text;
        ASSERT_TRUE(store.WriteDword(kKey, "LANGUAGE", 1033)) << text;
        EXPECT_TRUE(store.ReadDword(kKey, "LANGUAGE", value));
        EXPECT_EQ(value, 1033u);
        std::string kept;
        EXPECT_TRUE(ReadWholeFile(path_ + ".damaged", kept)) << text;
        EXPECT_EQ(kept, text);
    }
}

}  // namespace

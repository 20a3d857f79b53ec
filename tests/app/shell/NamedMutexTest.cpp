#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/NamedMutex.h"

namespace {
class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("ZORV_TEST_TMP");
        dir_ = std::filesystem::path(base ? base : "/tmp/zorv-shell-test") / "runtime";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    std::filesystem::path dir_;
};
}  // namespace

TEST_F(NamedMutexTest, SecondOwnerIsRefusedUntilTheFirstCloses) {
    NamedMutex first, second;
    EXPECT_EQ(first.Create("Zorv Wired Manager 1.0"), NamedMutex::CreateResult::Owned);
    EXPECT_TRUE(first.Owned());
    EXPECT_EQ(second.Create("Zorv Wired Manager 1.0"), NamedMutex::CreateResult::AlreadyExists);
    EXPECT_FALSE(second.Owned());
    first.Close();
    EXPECT_EQ(second.Create("Zorv Wired Manager 1.0"), NamedMutex::CreateResult::Owned);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Zorv Wired Manager 1.0.lock"));
}

TEST_F(NamedMutexTest, DifferentNamesDoNotMeet) {
    NamedMutex a, b;
    EXPECT_EQ(a.Create("one"), NamedMutex::CreateResult::Owned);
    EXPECT_EQ(b.Create("two"), NamedMutex::CreateResult::Owned);
}

TEST_F(NamedMutexTest, LockPathStaysInsideItsFolder) {
    const struct {
        const char* runtime;  // nullptr: unset
        const char* name;
        std::string expected;
    } cases[] = {
        {"", "a/b", "/tmp/a_b.lock"},
        {"/no/such/folder", "x", "/tmp/x.lock"},
        {nullptr, "x", "/tmp/x.lock"},
        {"RUNTIME", "../up", "RUNTIME/.._up.lock"},
    };
    for (const auto& c : cases) {
        std::string expected = c.expected;
        if (c.runtime && std::string(c.runtime) == "RUNTIME") {
            setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
            expected.replace(0, 7, dir_.string());
        } else if (c.runtime) {
            setenv("XDG_RUNTIME_DIR", c.runtime, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        EXPECT_EQ(NamedMutex::LockPath(c.name), expected) << c.name;
    }
}

TEST_F(NamedMutexTest, UnwritableFolderFailsInsteadOfClaimingOwnership) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    NamedMutex m;
    EXPECT_EQ(m.Create("locked-out"), NamedMutex::CreateResult::Failed);
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
}

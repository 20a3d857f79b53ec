#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/Folders.h"

namespace fs = std::filesystem;

TEST(Files, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
    fs::path dir = fs::temp_directory_path() / ("zorv-files-" + std::to_string(::getpid()));
    ASSERT_TRUE(EnsureFolder((dir / "a/b").string()));
    std::string path = (dir / "a/b/x.json").string();
    ASSERT_TRUE(WriteFileAtomic(path, "first version, longer"));
    ASSERT_TRUE(WriteFileAtomic(path, "second"));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "second");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "a/b"), fs::directory_iterator{}), 1);
    EXPECT_FALSE(WriteFileAtomic((dir / "missing/x").string(), "y"));
    EXPECT_FALSE(ReadWholeFile((dir / "missing/x").string(), back));
    fs::remove_all(dir);
}

TEST(Folders, FollowXdgVariablesAndEndWithSlash) {
    setenv("XDG_DATA_HOME", "/tmp/zorv-data", 1);
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(LocalAppDataFolder(), "/tmp/zorv-data/");
    EXPECT_EQ(ConfigFolder(), "/home/someone/.config/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(LocalAppDataFolder(), "/home/someone/.local/share/");
    EXPECT_EQ(ProgramFolder().back(), '/');
}

#pragma once
// An emulated keyboard in its own socket folder, seen by the manager's HID layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "device/registry/InterfaceScanner.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"

using emu::EmulatedKeyboard;
using emu::EmulatorOptions;
using emu::KeyboardSnapshot;
using emu::kNoReplug;

class EmulatedKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Unix socket paths must stay short (108 bytes), so not below the build tree.
        char pattern[] = "/tmp/zorv-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("ZORV_HID_EMULATOR_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        keyboards_.clear();
        std::filesystem::remove_all(dir_);
    }

    EmulatedKeyboard& Plug(uint16_t productId, const std::string& name = "kbd") {
        EmulatorOptions options;
        options.productId = productId;
        options.name = name;
        options.dir = dir_.string();
        auto keyboard = std::make_unique<EmulatedKeyboard>(options);
        std::string error;
        EXPECT_TRUE(keyboard->Start(error)) << error;
        keyboards_.push_back(std::move(keyboard));
        return *keyboards_.back();
    }

    std::filesystem::path dir_;
    std::vector<std::unique_ptr<EmulatedKeyboard>> keyboards_;
};

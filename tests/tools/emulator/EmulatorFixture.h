#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "RawHidClient.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"

using namespace emu;

// Each test gets its own directory and starts keyboards in it.
class EmulatorTest : public ::testing::Test {
protected:
    std::unique_ptr<EmulatedKeyboard> StartKeyboard(uint16_t productId = 0x5062, const std::string& statePath = "",
                                                    const std::string& name = "kbd") {
        EmulatorOptions options;
        options.productId = productId;
        options.name = name;
        options.dir = dir_.File("hid");
        options.statePath = statePath;
        options.stateSaveDelayMs = 50;
        auto keyboard = std::make_unique<EmulatedKeyboard>(options);
        std::string error;
        EXPECT_TRUE(keyboard->Start(error)) << error;
        return keyboard;
    }

    TestDir dir_;
};

// The state file: a demo keyboard remembers its memory across runs and survives a damaged file.
#include <json/reader.h>
#include <json/writer.h>

#include "EmulatorFixture.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Time.h"

namespace {
constexpr uint8_t kWriteParams = 0x06, kWriteKeys = 0x09, kCustom = 0x0B, kMacro = 0x15, kReadKeys = 0x07;

// Changes one byte in every writable region the host reaches.
void ChangeEverything(RawHidClient& client, size_t keyCount) {
    ASSERT_TRUE(client.WriteChunked(kWriteParams, {0x00, 0x09, 0x02, 0x03}, 0));
    auto keys = client.ReadChunked(kReadKeys, keyCount * 3);
    ASSERT_TRUE(keys);
    (*keys)[0] = 0x30;
    ASSERT_TRUE(client.WriteChunked(kWriteKeys, *keys));
    ASSERT_TRUE(client.WriteChunked(kMacro, {0xAA, 0x55, 0x20, 0x00, 0x01}));
    ASSERT_TRUE(client.WriteChunked(kCustom, {1, 2, 3}, 3 * 512 + 30));
}

std::string WriteJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    return Json::writeString(builder, value);
}
}  // namespace

class StateFileTest : public EmulatorTest {
protected:
    std::string StatePath() const { return dir_.File("state.json"); }
};

TEST_F(StateFileTest, MemorySurvivesARestart) {
    KeyboardMemory changed;
    {
        auto keyboard = StartKeyboard(0x5062, StatePath());
        EXPECT_EQ(keyboard->StateLoadOutcome().outcome, StateLoad::Missing);
        RawHidClient client(keyboard->SocketPath());
        ChangeEverything(client, keyboard->Layout().positionCount);
        ASSERT_TRUE(keyboard->SelectProfile(3));
        changed = keyboard->Snapshot().memory;
        keyboard->Stop();
    }
    ASSERT_TRUE(FileExists(StatePath()));
    auto keyboard = StartKeyboard(0x5062, StatePath());
    EXPECT_EQ(keyboard->StateLoadOutcome().outcome, StateLoad::Loaded);
    KeyboardMemory loaded = keyboard->Snapshot().memory;
    EXPECT_EQ(loaded.params, changed.params);
    EXPECT_EQ(loaded.ActiveProfile(), 3);
    EXPECT_EQ(loaded.keyTable, changed.keyTable);
    EXPECT_EQ(loaded.macroImage, changed.macroImage);
    EXPECT_EQ(loaded.customColours, changed.customColours);
    EXPECT_EQ(loaded.lightTable, changed.lightTable);
}

TEST_F(StateFileTest, ChangesReachTheFileWhileRunning) {
    auto keyboard = StartKeyboard(0x5062, StatePath());
    RawHidClient client(keyboard->SocketPath());
    EXPECT_FALSE(FileExists(StatePath())) << "nothing changed yet";
    ASSERT_TRUE(client.WriteChunked(kWriteParams, {0x00, 0x42}, 0));
    uint32_t start = GetTickCount();
    std::string text;
    while (GetTickCount() - start < 3000) {
        if (ReadWholeFile(StatePath(), text) && text.find("0042") != std::string::npos) break;
        Sleep(10);
    }
    EXPECT_NE(text.find("\"Params\" : \"0042"), std::string::npos) << text.substr(0, 400);
}

TEST_F(StateFileTest, ADamagedFileIsSetAsideAndFactoryStateUsed) {
    KeyboardMemory factory;
    std::string sound;
    {
        auto keyboard = StartKeyboard(0x5062, StatePath());
        factory = keyboard->Snapshot().memory;
        RawHidClient client(keyboard->SocketPath());
        ChangeEverything(client, keyboard->Layout().positionCount);
        keyboard->Stop();
        ASSERT_TRUE(ReadWholeFile(StatePath(), sound));
    }
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    ASSERT_TRUE(reader->parse(sound.data(), sound.data() + sound.size(), &root, nullptr));
    auto variant = [&](const std::function<void(Json::Value&)>& change) {
        Json::Value copy = root;
        change(copy);
        return WriteJson(copy);
    };
    struct Case {
        const char* what;
        std::string content;
        const char* reason;
    } cases[] = {
        {"truncated", sound.substr(0, sound.size() / 2), "not valid JSON"},
        {"not ours", "{\"Hello\": 1}", "not an emulator state file"},
        {"other product", variant([](Json::Value& v) { v["ProductId"] = 0x5086; }), "another product"},
        {"short key table", variant([](Json::Value& v) { v["Memory"]["KeyTable"] = "2000"; }), "KeyTable"},
        {"not hex", variant([](Json::Value& v) { v["Memory"]["MacroImage"] = "zz"; }), "MacroImage"},
        {"missing slots", variant([](Json::Value& v) { v["Memory"].removeMember("CustomColours"); }), "CustomColours"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileAtomic(StatePath(), c.content));
        auto keyboard = StartKeyboard(0x5062, StatePath(), "d");
        StateLoadResult result = keyboard->StateLoadOutcome();
        EXPECT_EQ(result.outcome, StateLoad::Damaged);
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
        KeyboardMemory memory = keyboard->Snapshot().memory;
        EXPECT_EQ(memory.params, factory.params);
        EXPECT_EQ(memory.keyTable, factory.keyTable);
        EXPECT_EQ(memory.customColours, factory.customColours);
        std::string kept;
        ASSERT_TRUE(ReadWholeFile(StatePath() + ".damaged", kept));
        EXPECT_EQ(kept, c.content) << "the damaged file is kept, not overwritten";
        keyboard->Stop();
    }
}

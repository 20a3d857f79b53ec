#include "platform/Folders.h"
#include "store/ShootData.h"
#include "StoreTestSupport.h"

using namespace storetest;

class ShootData : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        user_ = Root() + "mouse/";
        defaults_ = Root() + "defaults/";
        fs::create_directories(user_);
        fs::create_directories(defaults_);
        for (int gun = 0; gun < kShootGunCount; ++gun)
            WriteText(defaults_ + ShootFileName(gun), DefaultGun(gun));
        shoot_.SetShootFolder(user_);
        shoot_.SetShootDefaultFolder(defaults_);
    }
    static std::string DefaultGun(int gun) {
        Json::Value doc;
        for (int b = 0; b < kShootBulletsPerGun; ++b) {
            Json::Value& h = doc["Events"][6 * b + 2];
            h["Action"] = "up";
            h["Button"] = gun;
            h["Delay"] = 5;
            h["Type"] = 4;
            Json::Value& v = doc["Events"][6 * b + 3];
            v["Action"] = "up";
            v["Button"] = b;
            v["Delay"] = 90;
            v["Type"] = 5;
        }
        return StyledJsonText(doc);
    }
    std::string user_, defaults_;
    CShootData shoot_;
};

TEST_F(ShootData, InitCreatesMissingGunsAndReplacesDamagedOnes) {
    WriteText(user_ + ShootFileName(1), "not json");
    WriteText(user_ + ShootFileName(2), R"({"Other":1})");
    EXPECT_EQ(shoot_.InitShootData(), 4);
    EXPECT_EQ(ReadText(user_ + ShootFileName(0)), DefaultGun(0));
    EXPECT_EQ(ReadText(user_ + ShootFileName(1)), DefaultGun(1));
    EXPECT_EQ(ReadText(user_ + ShootFileName(1) + ".damaged"), "not json");
    EXPECT_EQ(ReadText(user_ + ShootFileName(2)), R"({"Other":1})");
    EXPECT_EQ(shoot_.LoadBullet(2, 0), BulletValues{});
}

TEST_F(ShootData, StoreRewritesExactlyTheBulletGroup) {
    shoot_.InitShootData();
    Json::Value before = ReadDoc(shoot_.GunFilePath(0));
    ASSERT_EQ(shoot_.StoreBullet(0, 2, {300, true, 12, false, 95}), 1);
    Json::Value after = ReadDoc(shoot_.GunFilePath(0));
    for (int i = 0; i < static_cast<int>(after["Events"].size()); ++i) {
        if (i >= 12 && i <= 17) continue;
        EXPECT_EQ(after["Events"][i], before["Events"][i]) << i;
    }
    const char* expected = R"([{"Action":"down","Button":1,"Delay":10,"Type":1},
        {"Action":"up","Button":1,"Delay":0,"Type":1},{"Action":"down","Button":300,"Delay":5,"Type":4},
        {"Action":"up","Button":12,"Delay":95,"Type":5},{"Action":"down","Button":0,"Delay":0,"Type":4},
        {"Action":"up","Button":0,"Delay":0,"Type":5}])";
    Json::Value group = ParseJsonText(expected);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(after["Events"][12 + k], group[k]) << k;
    EXPECT_EQ(shoot_.LoadBullet(0, 2), (BulletValues{300, true, 12, false, 95}));
    std::vector<MacroEventRecord> records = shoot_.GunRecords(0);
    EXPECT_EQ(records[14].bytes, (std::array<uint8_t, 4>{0x05, 0x00, 0x84, 44}));
    EXPECT_EQ(records[15].bytes, (std::array<uint8_t, 4>{0x5F, 0x00, 0x05, 0x0C}));
}

TEST_F(ShootData, DirectionsAreReadWithoutRegardToCaseAndOddValuesReadAsZero) {
    WriteText(shoot_.GunFilePath(3), R"({"Events":[{},{},{"Action":"DoWn","Button":"7"},
        {"Action":"Down","Button":4,"Delay":"95"}]})");
    EXPECT_EQ(shoot_.LoadBullet(3, 0), (BulletValues{0, true, 4, true, 0}));
    EXPECT_EQ(shoot_.LoadBullet(3, 1), BulletValues{});
    EXPECT_EQ(shoot_.LoadBullet(3, kShootBulletsPerGun), BulletValues{});
    EXPECT_EQ(shoot_.LoadBullet(-1, 0), BulletValues{});
    EXPECT_EQ(shoot_.StoreBullet(4, 0, {}), 0);
    EXPECT_EQ(shoot_.StoreBullet(0, 30, {}), 0);
}

TEST_F(ShootData, BadGunFilesNeverCrashAndAreKeptAsideBeforeAStore) {
    for (const BadContent& bad : BadContents()) {
        SCOPED_TRACE(bad.label);
        fs::remove_all(user_);
        fs::create_directories(user_);
        WriteText(shoot_.GunFilePath(0), bad.bytes);
        EXPECT_EQ(shoot_.LoadBullet(0, 1), BulletValues{});
        EXPECT_NO_THROW(shoot_.GunRecords(0));
        ASSERT_EQ(shoot_.StoreBullet(0, 1, {1, false, 2, true, 3}), 1);
        EXPECT_EQ(shoot_.LoadBullet(0, 1), (BulletValues{1, false, 2, true, 3}));
        Json::Value doc = ReadDoc(shoot_.GunFilePath(0));
        bool kept = FileExists(shoot_.GunFilePath(0) + ".damaged");
        EXPECT_EQ(kept, !bad.bytes.empty());
        EXPECT_TRUE(doc["Events"][5].isNull());  // bullets before the stored one stay empty
    }
}

TEST_F(ShootData, ResetImportAndExportCopyWholeFiles) {
    shoot_.InitShootData();
    shoot_.StoreBullet(1, 0, {9, false, 9, false, 9});
    ASSERT_EQ(shoot_.ResetGun(1), 1);
    EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), DefaultGun(1));

    std::string twelve = R"({"Events":[{},{},{},{},{},{},{},{},{},{},{},{}],"Mine":true})";
    WriteText(Path("import.shoot"), twelve);
    ASSERT_EQ(shoot_.ImportGun(1, Path("import.shoot")), 1);
    EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), twelve);
    EXPECT_EQ(shoot_.GunRecords(1).size(), 12u);
    WriteText(Path("junk.shoot"), "junk");
    EXPECT_EQ(shoot_.ImportGun(1, Path("junk.shoot")), 0);
    EXPECT_EQ(shoot_.ImportGun(1, ""), 0);
    EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), twelve);
    ASSERT_EQ(shoot_.ExportGun(1, Path("export.shoot")), 1);
    EXPECT_EQ(ReadText(Path("export.shoot")), twelve);

    // Without a readable default the gun keeps its pattern.
    fs::remove(defaults_ + ShootFileName(1));
    EXPECT_EQ(shoot_.ResetGun(1), 0);
    EXPECT_EQ(ReadText(shoot_.GunFilePath(1)), twelve);
}

TEST_F(ShootData, FailedStoreLeavesTheGunFile) {
    shoot_.InitShootData();
    std::string before = ReadText(shoot_.GunFilePath(0));
    CShootData broken;
    WriteText(Path("plain"), "x");
    broken.SetShootFolder(Path("plain") + "/");
    EXPECT_EQ(broken.StoreBullet(0, 0, {}), -1);
    EXPECT_EQ(broken.ExportGun(0, Path("out.shoot")), -1);
    EXPECT_EQ(ReadText(shoot_.GunFilePath(0)), before);
}

#include "store/ShootData.h"

#include <strings.h>

#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "store/MacroLibrary.h"

namespace {
bool ValidGun(int gun) { return gun >= 0 && gun < kShootGunCount; }
bool ValidBullet(int bullet) { return bullet >= 0 && bullet < kShootBulletsPerGun; }

bool IsDown(const Json::Value& event) {
    return strcasecmp(ToText(MemberOf(event, "Action")).c_str(), "down") == 0;
}

struct GroupEvent {
    bool down;
    int type;
    int button;
    int delay;
};

void Assign(Json::Value& event, const GroupEvent& e) {
    AsObject(event);
    event["Action"] = e.down ? "down" : "up";
    event["Button"] = e.button;
    event["Delay"] = e.delay;
    event["Type"] = e.type;
}
}  // namespace

std::string ShootFileName(int gun) { return "ShootData_" + std::to_string(gun) + ".Shoot"; }

int CShootData::InitShootData() {
    int usable = 0;
    for (int gun = 0; gun < kShootGunCount; ++gun) {
        if (!ReadJsonValue(GunFilePath(gun)).isNull()) {
            ++usable;
            continue;
        }
        if (ReadJsonValue(DefaultGunFilePath(gun)).isNull()) continue;
        if (KeepDamagedFile(GunFilePath(gun)) && ResetGun(gun) == 1) ++usable;
    }
    return usable;
}

BulletValues CShootData::LoadBullet(int gun, int bullet) const {
    BulletValues v;
    if (!ValidGun(gun) || !ValidBullet(bullet)) return v;
    Json::Value doc = ReadJsonValue(GunFilePath(gun));
    const Json::Value& events = MemberOf(doc, "Events");
    const Json::Value& horizontal = ElementOf(events, kShootEventsPerBullet * bullet + 2);
    const Json::Value& vertical = ElementOf(events, kShootEventsPerBullet * bullet + 3);
    v.x = ToInt32(MemberOf(horizontal, "Button"));
    v.left = IsDown(horizontal);
    v.y = ToInt32(MemberOf(vertical, "Button"));
    v.up = IsDown(vertical);
    v.delay = ToInt32(MemberOf(vertical, "Delay"));
    return v;
}

int CShootData::StoreBullet(int gun, int bullet, const BulletValues& v) {
    if (!ValidGun(gun) || !ValidBullet(bullet)) return 0;
    std::string path = GunFilePath(gun);
    Json::Value doc = ReadJsonValue(path);
    bool damaged = doc.isNull() ? HoldsUnparsableContent(path) : !doc.isObject();
    const Json::Value& oldEvents = MemberOf(doc, "Events");
    if (!oldEvents.isNull() && !oldEvents.isArray()) damaged = true;
    // Whatever cannot be kept in the document is kept aside as a file instead.
    if (damaged && !KeepDamagedFile(path)) return -1;
    if (!doc.isObject()) doc = Json::Value(Json::objectValue);

    const GroupEvent group[kShootEventsPerBullet] = {
        {true, kMacroTypeMouseButton, 1, 10}, {false, kMacroTypeMouseButton, 1, 0},
        {v.left, kMacroTypeMouseMoveX, v.x, 5}, {v.up, kMacroTypeMouseMoveY, v.y, v.delay},
        {v.left, kMacroTypeMouseMoveX, 0, 0},   {v.up, kMacroTypeMouseMoveY, 0, 0},
    };
    Json::Value& events = ObjectMember(doc, "Events");
    for (int k = 0; k < kShootEventsPerBullet; ++k)
        Assign(ArrayElement(events, kShootEventsPerBullet * bullet + k), group[k]);
    return WriteJsonValue(path, doc) ? 1 : -1;
}

int CShootData::ResetGun(int gun) {
    if (!ValidGun(gun)) return 0;
    // An empty pattern is no default: without a readable default the gun keeps what it has.
    if (ReadJsonValue(DefaultGunFilePath(gun)).isNull()) return 0;
    return CopyConfigFile(DefaultGunFilePath(gun), GunFilePath(gun)) ? 1 : -1;
}

int CShootData::ImportGun(int gun, const std::string& sourcePath) {
    if (!ValidGun(gun) || sourcePath.empty()) return 0;
    if (ReadJsonValue(sourcePath).isNull()) return 0;
    return CopyConfigFile(sourcePath, GunFilePath(gun)) ? 1 : -1;
}

int CShootData::ExportGun(int gun, const std::string& targetPath) const {
    if (!ValidGun(gun) || targetPath.empty()) return 0;
    return CopyConfigFile(GunFilePath(gun), targetPath) ? 1 : -1;
}

std::vector<MacroEventRecord> CShootData::GunRecords(int gun) const {
    if (!ValidGun(gun)) return {};
    return ReadEventRecords(GunFilePath(gun));
}

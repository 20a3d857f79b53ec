#pragma once
// The mouse's four recoil patterns ("ShootData_" + n + ".Shoot"): per bullet a group of six
// events (press, release, horizontal move, vertical move and pause, two zero moves).
#include <string>
#include <vector>

#include "store/MacroEvent.h"

inline constexpr int kShootGunCount = 4;
inline constexpr int kShootBulletsPerGun = 30;
inline constexpr int kShootEventsPerBullet = 6;

// What the recoil panel shows of one bullet.
struct BulletValues {
    int x = 0;           // horizontal distance in pixels
    bool left = false;   // horizontal direction; false is right
    int y = 0;           // vertical distance in pixels
    bool up = false;     // vertical direction; false is down
    int delay = 0;       // milliseconds after the vertical move
    bool operator==(const BulletValues&) const = default;
};

std::string ShootFileName(int gun);

class CShootData {
public:
    void SetShootFolder(const std::string& folder) { folder_ = folder; }
    void SetShootDefaultFolder(const std::string& folder) { defaultFolder_ = folder; }
    std::string GunFilePath(int gun) const { return folder_ + ShootFileName(gun); }
    std::string DefaultGunFilePath(int gun) const { return defaultFolder_ + ShootFileName(gun); }

    // Makes sure the four gun files exist: a missing or unparsable one is replaced by its default
    // (an unparsable one is kept aside first). Returns the number of guns that are usable.
    int InitShootData();
    // Values read defensively: anything that is not a number counts as 0 and "up".
    BulletValues LoadBullet(int gun, int bullet) const;
    // Rewrites the bullet's six events; other elements and members stay. 1 written, 0 bad gun or
    // bullet, -1 write failed (the old file stays).
    int StoreBullet(int gun, int bullet, const BulletValues& values);
    // 1 done; 0 when the default cannot be read (the gun keeps its pattern); -1 write failed.
    int ResetGun(int gun);
    // 1 done; 0 for an empty path, a bad gun or a file that is not a JSON document; -1 write failed.
    int ImportGun(int gun, const std::string& sourcePath);
    int ExportGun(int gun, const std::string& targetPath) const;

    // The gun's events as the mouse uploads them (null elements give all-zero records).
    std::vector<MacroEventRecord> GunRecords(int gun) const;

private:
    std::string folder_;
    std::string defaultFolder_;
};

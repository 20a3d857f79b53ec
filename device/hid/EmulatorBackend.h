#pragma once
// "emu" backend: every "*.sock" file owned by the user in the emulator folder is one emulated
// interface, a listening SOCK_SEQPACKET Unix socket speaking protocol version 1 (EmulatorHello.h,
// then one report per packet, report id first).
#include <sys/types.h>

#include <mutex>
#include <unordered_map>

#include "device/hid/EmulatorHello.h"
#include "device/hid/HidTransport.h"

// $ZORV_HID_EMULATOR_DIR, else $XDG_RUNTIME_DIR/zorv-hid, else /tmp/zorv-hid-<uid>.
std::string EmulatorDirectory();

class EmulatorBackend : public IHidBackend {
public:
    std::string Scheme() const override { return "emu"; }
    void Enumerate(std::vector<std::string>& paths) override;
    std::shared_ptr<IHidTransport> Open(const std::string& path, bool read, bool write) override;
    // The socket file's inode and time: a restarted emulator makes a new one.
    std::string InstanceOf(const std::string& path) override;

private:
    struct CachedHello {
        ino_t inode = 0;
        int64_t mtimeNs = 0;
        EmulatorHello hello;
    };
    // Hello of a socket, from the cache while the socket file is unchanged; false when the socket
    // is not one of ours or does not answer.
    bool HelloOf(const std::string& socketPath, EmulatorHello& hello);

    std::mutex cacheLock_;
    std::unordered_map<std::string, CachedHello> cache_;
};

#pragma once
// The control socket "<dir>/<name>.ctl" of a running emulator: one stream connection per command;
// the client sends {"args":[...]} and half-closes, the emulator answers {"exit":n,"output":"..."}.
#include <functional>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/WorkerThread.h"
#include "tools/zorv-emulator/ControlCommand.h"

namespace emu {

class EmulatedKeyboard;

class ControlServer {
public:
    // onQuit runs on the server's worker after the "quit" answer went out.
    ControlServer(EmulatedKeyboard& keyboard, std::string path, std::function<void()> onQuit);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool Start(std::string& error);
    void Stop();
    const std::string& Path() const { return path_; }

private:
    void Loop(const WorkerArgs& args);
    void Serve(int fd);

    EmulatedKeyboard& keyboard_;
    const std::string path_;
    std::function<void()> onQuit_;
    int listenFd_ = -1;
    WorkerThread worker_;
};

// Sends one command to the emulator at path. Exit 1 when none answers there.
ControlResult RunControlClient(const std::string& path, const std::vector<std::string>& args);

}  // namespace emu

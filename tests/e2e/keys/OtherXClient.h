#pragma once
// A window of another X client holding the input focus, and the keys it receives (as key names).
#include <memory>
#include <string>
#include <vector>

class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    bool Ready() const;
    std::vector<std::string> TakeKeys();

private:
    struct State;
    std::unique_ptr<State> state_;
};

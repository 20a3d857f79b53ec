#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/skins/SkinObserver.h"

namespace {

struct Recorder : SkinReceiver {
    Recorder(std::string n, std::vector<std::string>& log) : name(std::move(n)), log(log) {}
    int OnChange(const SkinChangedParam& param) override {
        log.push_back(name + ":" + (param.isColour ? std::to_string(param.colour) : param.image));
        if (onChange) onChange();
        return 1;
    }
    int OnChangeWithReply(const SkinChangedParam& param, SkinObserver* observer) override {
        log.push_back(name + " reply:" + param.image);
        replyObserver = observer;
        return 1;
    }
    std::string name;
    std::vector<std::string>& log;
    std::function<void()> onChange;
    SkinObserver* replyObserver = nullptr;
};

TEST(SkinObserver, TellsReceiversInTheOrderTheyAttached) {
    std::vector<std::string> log;
    SkinObserver observer;
    Recorder b("b", log), a("a", log);
    observer.AttachReceiver(&b);
    observer.AttachReceiver(&a);
    observer.AttachReceiver(&b);  // once only
    observer.Announce(SkinChangedParam{false, 0, "x.svg"});
    observer.Announce(SkinChangedParam{true, 0xFF102030u, {}});
    EXPECT_EQ(log, (std::vector<std::string>{"b:x.svg", "a:x.svg", "b:" + std::to_string(0xFF102030u),
                                             "a:" + std::to_string(0xFF102030u)}));
    log.clear();
    observer.AnnounceWithReply(SkinChangedParam{false, 0, "y"});
    EXPECT_EQ(log, (std::vector<std::string>{"b reply:y", "a reply:y"}));
    EXPECT_EQ(a.replyObserver, &observer);
}

TEST(SkinObserver, DetachedAndDestroyedReceiversAreNotCalled) {
    std::vector<std::string> log;
    SkinObserver observer;
    Recorder kept("kept", log);
    auto gone = std::make_unique<Recorder>("gone", log);
    Recorder detached("detached", log);
    observer.AttachReceiver(gone.get());
    observer.AttachReceiver(&kept);
    observer.AttachReceiver(&detached);
    observer.DetachReceiver(&detached);
    gone.reset();
    observer.Announce(SkinChangedParam{false, 0, "i"});
    EXPECT_EQ(log, (std::vector<std::string>{"kept:i"}));
    EXPECT_EQ(observer.ReceiverCount(), 1u);
}

TEST(SkinObserver, ReceiverMayDetachAnotherWhileBeingTold) {
    std::vector<std::string> log;
    SkinObserver observer;
    Recorder first("first", log);
    auto second = std::make_unique<Recorder>("second", log);
    first.onChange = [&] { second.reset(); };
    observer.AttachReceiver(&first);
    observer.AttachReceiver(second.get());
    observer.Announce(SkinChangedParam{false, 0, "i"});
    EXPECT_EQ(log, (std::vector<std::string>{"first:i"}));
}

TEST(SkinObserver, ReceiverOutlivingItsObserverIsSafe) {
    std::vector<std::string> log;
    Recorder receiver("r", log);
    {
        SkinObserver observer;
        observer.AttachReceiver(&receiver);
    }
    SUCCEED();  // the receiver's destructor must not reach the gone observer (ASan checks it)
}

TEST(SkinObserver, ProcessWideInstanceIsOne) { EXPECT_EQ(&TheSkinObserver(), &TheSkinObserver()); }

}  // namespace

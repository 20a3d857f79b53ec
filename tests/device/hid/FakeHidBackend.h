#pragma once
// A backend that lives inside the test: paths "<scheme>:<name>#vid_...", reports handed in by the
// test, transfers that block until a report comes or the abort event is set.
#include <deque>
#include <map>
#include <mutex>

#include <algorithm>
#include <atomic>
#include <thread>
#include "device/hid/HidTransport.h"
#include "platform/Event.h"

class FakeHidDevice {
public:
    HidInterfaceInfo info;
    int collection = 0;
    std::atomic<int> blockedReads{0};  // reads waiting for a report right now

    // Lets a test act only once a read really blocks.
    void WaitForBlockedRead() const {
        while (blockedReads.load() == 0) std::this_thread::yield();
    }

    void PushInput(std::vector<uint8_t> report) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            inputs_.push_back(std::move(report));
        }
        arrived_.Set();
    }
    std::vector<std::vector<uint8_t>> Written() {
        std::lock_guard<std::mutex> guard(lock_);
        return written_;
    }
    HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs, Event& abort) {
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (!inputs_.empty()) {
                    const std::vector<uint8_t> report = std::move(inputs_.front());
                    inputs_.pop_front();
                    transferred = static_cast<uint32_t>(std::min<size_t>(length, report.size()));
                    std::copy_n(report.begin(), transferred, buffer);
                    return HidIoResult::Ok;
                }
            }
            Event* events[] = {&abort, &arrived_};
            ++blockedReads;
            const int which = Event::WaitAny(events, 2, timeoutMs);
            --blockedReads;
            if (which == 0) return HidIoResult::Aborted;
            if (which < 0) return HidIoResult::Timeout;
        }
    }
    void Write(const uint8_t* buffer, uint32_t length) {
        std::lock_guard<std::mutex> guard(lock_);
        written_.emplace_back(buffer, buffer + length);
    }

private:
    std::mutex lock_;
    std::deque<std::vector<uint8_t>> inputs_;
    std::vector<std::vector<uint8_t>> written_;
    Event arrived_{false, false};
};

class FakeHidTransport : public IHidTransport {
public:
    explicit FakeHidTransport(std::shared_ptr<FakeHidDevice> device) : device_(std::move(device)) {}
    const HidInterfaceInfo& Info() const override { return device_->info; }
    int Collection() const override { return device_->collection; }
    HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                     Event& abort) override {
        return device_->Read(buffer, length, transferred, timeoutMs, abort);
    }
    HidIoResult Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t,
                      Event&) override {
        device_->Write(buffer, length);
        transferred = length;
        return HidIoResult::Ok;
    }

private:
    std::shared_ptr<FakeHidDevice> device_;
};

class FakeHidBackend : public IHidBackend {
public:
    explicit FakeHidBackend(std::string scheme) : scheme_(std::move(scheme)) {}
    std::string Scheme() const override { return scheme_; }
    void Enumerate(std::vector<std::string>& paths) override {
        std::lock_guard<std::mutex> guard(lock_);
        for (const auto& [path, device] : devices_) paths.push_back(path);
    }
    std::shared_ptr<IHidTransport> Open(const std::string& path, bool, bool) override {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = devices_.find(path);
        if (found == devices_.end()) return nullptr;
        return std::make_shared<FakeHidTransport>(found->second);
    }
    std::shared_ptr<FakeHidDevice> Add(const std::string& path, std::vector<uint8_t> descriptor, int collection = 0) {
        auto device = std::make_shared<FakeHidDevice>();
        device->info.vendorId = 0x7A61;
        device->info.productId = 0x5062;
        device->info.version = 0x0105;
        device->info.interfaceNumber = 1;
        device->info.reportDescriptor = std::move(descriptor);
        device->collection = collection;
        std::lock_guard<std::mutex> guard(lock_);
        devices_[path] = device;
        return device;
    }
    void Remove(const std::string& path) {
        std::lock_guard<std::mutex> guard(lock_);
        devices_.erase(path);
    }

private:
    std::string scheme_;
    std::mutex lock_;
    std::map<std::string, std::shared_ptr<FakeHidDevice>> devices_;
};

#pragma once
// The transport both platform backends share: one file descriptor carrying whole reports, waited
// on with poll() beside the abort event, with the input reports of other collections dropped.
#include <sys/types.h>

#include <atomic>
#include <memory>

#include "device/hid/HidTransport.h"
#include "device/hid/ReportDescriptor.h"

// Which input reports belong to one top-level collection of a descriptor.
class CollectionReportFilter {
public:
    CollectionReportFilter(const ParsedDescriptor& descriptor, int collection);
    bool Accepts(uint8_t reportId) const;

private:
    bool acceptAll_ = true;
    std::vector<uint8_t> ids_;
};

// Appends one path per top-level collection ("&colNN" only when there are several).
void AppendCollectionPaths(const std::string& scheme, const std::string& location, const HidInterfaceInfo& info,
                           std::vector<std::string>& paths);
// The collection a path names, checked against the descriptor; -1 when it has no such collection.
int CollectionOfPath(const std::string& path, const ParsedDescriptor& descriptor);

class HidFdTransport : public IHidTransport {
public:
    // Takes ownership of fd; fd -1 makes a presence probe on which every transfer fails.
    HidFdTransport(int fd, HidInterfaceInfo info, int collection, const ParsedDescriptor& descriptor);
    ~HidFdTransport() override;
    HidFdTransport(const HidFdTransport&) = delete;
    HidFdTransport& operator=(const HidFdTransport&) = delete;

    const HidInterfaceInfo& Info() const override { return info_; }
    int Collection() const override { return collection_; }
    HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                     Event& abort) override;
    HidIoResult Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                      Event& abort) override;

protected:
    // One whole report from the fd, report id first; -1 with errno as read(2) sets it, 0 when the
    // peer has gone.
    virtual ssize_t ReceiveReport(uint8_t* buffer, size_t capacity) = 0;
    virtual ssize_t SendReport(const uint8_t* buffer, size_t length) = 0;
    int Fd() const { return fd_; }

private:
    HidIoResult WaitReady(short events, uint32_t timeoutMs, uint64_t startMs, Event& abort, bool& hungUp);

    int fd_;
    HidInterfaceInfo info_;
    int collection_;
    CollectionReportFilter filter_;
    std::atomic<bool> gone_{false};  // the device went away: every later transfer fails at once
};

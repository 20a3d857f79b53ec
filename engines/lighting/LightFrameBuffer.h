#pragma once
// The engine's frame buffer. The lighting thread, the shared-lighting thread and the UI thread's
// frame push all touch it without a lock, so every record is one atomic word.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engines/lighting/LightRecord.h"

class CLightFrameBuffer {
public:
    // Resizing is configuration work: only before any thread renders into the buffer.
    void Resize(size_t count);
    void Clear();
    size_t Count() const { return count_; }

    // Out-of-range writes are dropped and reads give 0.
    void Set(size_t index, uint32_t word);
    uint32_t Get(size_t index) const;
    void SetRecord(size_t index, LightRecord record) { Set(index, record.Pack()); }
    LightRecord Record(size_t index) const { return LightRecord::Unpack(Get(index)); }
    void Fill(LightRecord record);

private:
    std::unique_ptr<std::atomic<uint32_t>[]> records_;
    size_t count_ = 0;
};

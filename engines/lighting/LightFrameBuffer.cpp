#include "engines/lighting/LightFrameBuffer.h"

void CLightFrameBuffer::Resize(size_t count) {
    records_ = count ? std::make_unique<std::atomic<uint32_t>[]>(count) : nullptr;
    count_ = count;
    Clear();
}

void CLightFrameBuffer::Clear() {
    for (size_t i = 0; i < count_; ++i) records_[i].store(0, std::memory_order_relaxed);
}

void CLightFrameBuffer::Set(size_t index, uint32_t word) {
    if (index < count_) records_[index].store(word, std::memory_order_relaxed);
}

uint32_t CLightFrameBuffer::Get(size_t index) const {
    return index < count_ ? records_[index].load(std::memory_order_relaxed) : 0;
}

void CLightFrameBuffer::Fill(LightRecord record) {
    const uint32_t word = record.Pack();
    for (size_t i = 0; i < count_; ++i) records_[i].store(word, std::memory_order_relaxed);
}

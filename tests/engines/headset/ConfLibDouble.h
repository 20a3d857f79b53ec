#pragma once
// A test double of the audio configuration library: a real shared object with the library's entry
// points that records every call and answers from a table the test sets. The test links it, and
// the engine's loader opens the same file with dlopen, so both see one instance.
#include <cstddef>
#include <cstdint>

extern "C" {

struct ConfDoubleCall {
    char property[64];
    int32_t direction;  // 0 read, 1 write
    uint32_t list;      // descriptor word 2
    uint32_t kind;      // descriptor word 1
    int32_t hasChannel;
    int32_t channel[3];
    uint8_t value[4];   // the first four bytes of the value buffer (writes)
};

void confdouble_reset();
void confdouble_set_init_result(int32_t result);
void confdouble_add_endpoint(int32_t list, uint32_t kind, uint32_t flag);
// Reads of the property on endpoints of this kind answer text (UTF-8, copied as UTF-16) with result.
void confdouble_set_answer(uint32_t kind, const char* property, const char* text, int32_t result);
// Writes of the property on endpoints of this kind answer result (default 0).
void confdouble_set_write_result(uint32_t kind, const char* property, int32_t result);
size_t confdouble_call_count();
int32_t confdouble_call(size_t index, ConfDoubleCall* out);
}

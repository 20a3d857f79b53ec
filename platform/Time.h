#pragma once
#include <cstdint>

// Milliseconds on a steady clock as 32 bits; wraps after 49.7 days like the original.
uint32_t GetTickCount();
void Sleep(uint32_t milliseconds);

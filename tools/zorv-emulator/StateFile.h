#pragma once
// The state file of a demo keyboard: its whole memory as JSON, so the keyboard remembers its
// settings across runs.
#include <string>

#include "tools/zorv-emulator/KeyboardMemory.h"
#include "tools/zorv-emulator/ProductModels.h"

namespace emu {

enum class StateLoad { Missing, Loaded, Damaged };

struct StateLoadResult {
    StateLoad outcome = StateLoad::Missing;
    std::string message;  // one line for the user
};

// Loads into memory (which holds the factory state and keeps it unless the file is sound). A
// damaged file is renamed to "<path>.damaged" so the next save does not destroy what it held.
StateLoadResult LoadStateFile(const std::string& path, const ProductModel& model, KeyboardMemory& memory);
// Written atomically: a crash never leaves half a file.
bool SaveStateFile(const std::string& path, const ProductModel& model, const KeyboardMemory& memory,
                   std::string& error);

}  // namespace emu

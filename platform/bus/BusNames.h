#pragma once
// Names, paths and interfaces of the window contract on the session bus, and the targets a
// message can be addressed to.
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr const char* kWindowObjectPath = "/org/zorv/Win";
inline constexpr const char* kWindowInterface = "org.zorv.Win1";
inline constexpr const char* kBroadcastObjectPath = "/org/zorv/Broadcast";
inline constexpr const char* kBroadcastInterface = "org.zorv.Broadcast1";
inline constexpr const char* kBroadcastMember = "Message";

// Error names a window answers with.
inline constexpr const char* kErrorNotAdmitted = "org.zorv.Error.NotAdmitted";
inline constexpr const char* kErrorWindowClosed = "org.zorv.Error.WindowClosed";

// A bus name is at most 255 bytes; "org.zorv.Win.t_" leaves room for 120 bytes of title.
inline constexpr size_t kMaxBusNameLength = 255;

// Lower-case hexadecimal of every byte ("ZuzaZoro" -> "5a757a615a6f726f").
std::string HexOfBytes(std::string_view bytes);

// "org.zorv.Win.h_1a2b"; empty for handle 0.
std::string HandleBusName(uint64_t handle);
// "org.zorv.Win.t_<hex>" / "org.zorv.Win.c_<hex>"; empty when the text is empty or too long for
// a bus name (such a window cannot be found by that text).
std::string TitleBusName(std::string_view title);
std::string ClassBusName(std::string_view className);

// A new handle, unique on the machine while this process lives: process id and a counter.
uint64_t NewWindowHandle();

// Where a message goes: a window by its handle, its title or its class name.
struct BusTarget {
    enum class Kind { Handle, Title, Class };
    Kind kind = Kind::Handle;
    uint64_t handle = 0;
    std::string text;

    static BusTarget ByHandle(uint64_t handle) { return {Kind::Handle, handle, {}}; }
    static BusTarget ByTitle(std::string title) { return {Kind::Title, 0, std::move(title)}; }
    static BusTarget ByClass(std::string className) { return {Kind::Class, 0, std::move(className)}; }

    // Empty when the target cannot be addressed (handle 0, empty or over-long text).
    std::string BusName() const;
    // For diagnostics: "handle 0x1a", "title \"ZuzaZoro\"", "class \"MainWnd\"".
    std::string Describe() const;
};

// Bus strings must be valid UTF-8 without NUL bytes.
bool IsBusString(std::string_view text);

#pragma once
// Helpers the backends share to build and take apart interface paths
// ("<scheme>:<location>#vid_7a61&pid_5062&mi_01&col04").
#include <cstdint>
#include <string>

// The backend scheme: the text before the first ':' or '#'.
std::string PathScheme(const std::string& path);
// The text between "<scheme>:" and the last '#'; empty when the path has no such part.
std::string PathLocation(const std::string& path);
// "<scheme>:<location>#vid_xxxx&pid_xxxx&mi_xx" plus "&colNN" when collection is not 0.
std::string FormatInterfacePath(const std::string& scheme, const std::string& location, uint16_t vendorId,
                                uint16_t productId, uint16_t interfaceNumber, int collection);

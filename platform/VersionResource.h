#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace platform {

// The product version an executable carries: major, minor, build, revision.
using ProductVersion = std::array<std::uint16_t, 4>;

// Name of the executable section that carries the version, and the marker it starts with.
inline constexpr const char* VERSION_SECTION = ".tlv_version";
inline constexpr const char VERSION_MAGIC[16] = "TLV-VERSION-RES";

// The record laid into that section (VersionResourceData.cpp, compiled into each program).
struct VersionRecord {
    char magic[16];
    std::uint16_t parts[4];
};

// Reads the product version carried by the executable file at `path` (a host path). False when
// the file is no executable of ours or carries no version.
bool ReadProductVersion(const std::string& path, ProductVersion& version);

}  // namespace platform

#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

using HardwareAddress = std::array<std::uint8_t, 6>;

// The six-byte hardware addresses of the machine's network interfaces in the kernel's order,
// leaving out loopback and every interface whose address is not six bytes long (tunnels,
// InfiniBand). False when the list cannot be read at all; an empty list is not a failure.
bool ListAdapterAddresses(std::vector<HardwareAddress>* addresses);

}  // namespace platform

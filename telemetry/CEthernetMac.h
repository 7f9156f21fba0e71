#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/NetworkAdapters.h"

// The machine's network-adapter address as reports carry it. A fresh object answers the first
// adapter the platform lists; each further call on the same object moves on to the next one.
class CEthernetMac {
public:
    // Fills the list of adapter addresses, first adapter first; false when it cannot be read.
    using AdapterSource = std::function<bool(std::vector<platform::HardwareAddress>*)>;

    CEthernetMac() = default;
    virtual ~CEthernetMac() = default;
    CEthernetMac(const CEthernetMac&) = delete;
    CEthernetMac& operator=(const CEthernetMac&) = delete;

    // The current adapter's address as 12 uppercase hexadecimal digits without separators, then
    // advances to the next adapter. Empty when the list cannot be read or no adapter is left.
    std::string GetMacText();

    // Makes every object ask `source` instead of the platform (tests give a fixed answer); an
    // empty function restores the platform.
    static void SetAdapterSource(AdapterSource source);

private:
    std::vector<platform::HardwareAddress> m_adapters;
    std::size_t m_current { 0 };
};

#include "telemetry/CEthernetMac.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_sourceMutex;
CEthernetMac::AdapterSource g_source;

bool ReadAdapters(std::vector<platform::HardwareAddress>* adapters) {
    CEthernetMac::AdapterSource source;
    {
        std::lock_guard lock(g_sourceMutex);
        source = g_source;
    }
    adapters->clear();
    return source ? source(adapters) : platform::ListAdapterAddresses(adapters);
}

}  // namespace

std::string CEthernetMac::GetMacText() {
    // The list is read again at every call; the position stays with the object.
    if (!ReadAdapters(&m_adapters) || m_current >= m_adapters.size()) return {};
    const platform::HardwareAddress& address = m_adapters[m_current++];
    char text[13] {};
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2],
                  address[3], address[4], address[5]);
    return text;
}

void CEthernetMac::SetAdapterSource(AdapterSource source) {
    std::lock_guard lock(g_sourceMutex);
    g_source = std::move(source);
}

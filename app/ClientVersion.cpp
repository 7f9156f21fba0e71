#include "app/ClientVersion.h"

#include <cstdio>

#include "platform/ExecutablePath.h"
#include "platform/VersionResource.h"

std::string ClientFileVersion() {
    platform::ProductVersion version {};
    if (!platform::ReadProductVersion(platform::ExecutablePath(), version)) return "1.0.0.0";
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    return text;
}

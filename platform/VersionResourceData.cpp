// The version resource of one executable: the build adds this file to every program.
#include "platform/VersionResource.h"

extern "C" {
__attribute__((used, section(".tlv_version"))) const platform::VersionRecord tlvVersionRecord = {
    "TLV-VERSION-RES",
    {TLV_VERSION_MAJOR, TLV_VERSION_MINOR, TLV_VERSION_BUILD, TLV_VERSION_REVISION},
};
}

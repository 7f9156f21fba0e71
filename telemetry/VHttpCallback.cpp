#include "telemetry/VHttpCallback.h"

#include "telemetry/CHttpProxy.h"

VHttpCallback::~VHttpCallback() {
    if (CHttpProxy* proxy = CHttpProxy::Existing()) proxy->UnregisterCallback(this);
}

// The forwarders: the functions of the proxy record (declared in ProxyRecord.h) and the one
// behind every callback handed to a hosted plug-in (declared in CallbackPool.h). Each is
// declared where it is handed out, so that neither part reaches up to the sessions.
#pragma once

#include "bridge/CallbackPool.h"
#include "bridge/ProxyRecord.h"

#include "bridge/ProxyEffect.h"

// Zero-filled at load and never cleared: it keeps its last content after "Close".
AEffect proxyEffect{};

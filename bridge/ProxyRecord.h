// The record handed to the host, with its session right behind it: every forwarder finds its
// session from the record the host passes, as plug-in wrappers commonly do. The record's data
// fields follow the hosted plug-in's record; its functions are Oplexa's.
#pragma once

#include "vst/VstInterface.h"

class Session;

struct ProxyRecord : AEffect
{
    Session* session = nullptr;
};

// Copies the hosted record once and sets Oplexa's functions (processDoubleReplacing only when the
// hosted plug-in has it).
void fillProxy(AEffect& proxy, const AEffect& hosted) noexcept;
// Brings the data fields a host reads up to date with the hosted record, storing only those that
// changed: the plug-in may change them on any of its threads, the host reads them on any of its.
void mirrorRecord(AEffect& proxy, const AEffect& hosted) noexcept;
// Back to a record with Oplexa's functions and nothing else, so that nothing stale (the last
// host's own fields above all) is ever handed out again.
void clearProxy(AEffect& proxy) noexcept;

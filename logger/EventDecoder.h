// Detail lines for the events of effProcessEvents and audioMasterProcessEvents.
#pragma once

#include "logger/OXLogger.h"

namespace detail
{
// The events list of ProcessEvents, in both directions.
void decodeEvents(OXLogger& logger, const void* list) noexcept;
} // namespace detail

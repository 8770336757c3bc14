// Detail lines for the events of effProcessEvents and audioMasterProcessEvents.
#pragma once

#include "logger/DetailText.h"

namespace detail
{
// The events list of ProcessEvents, in both directions.
void decodeEvents(DetailLines& out, const void* list) noexcept;
} // namespace detail

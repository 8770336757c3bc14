// The record handed to the host. The monitor window reads it without a lock.
#pragma once

#include "vst/VstInterface.h"

extern AEffect proxyEffect;

// What a tagged wrapper changes, so that a host that keeps plug-ins by name and unique ID tells
// it from its plug-in: " [Oplexa]" after the name, and the ID with the case of its four
// characters flipped ('brVM' reads 'BRvm'); flipping again gives the plug-in's own ID.
#pragma once

#include <cstdint>

constexpr uint32_t kTaggedIdMask = 0x20202020;

// Appends " [Oplexa]" to an effGetEffectName answer, cutting the name so that the whole fits the
// name's 32 bytes. No allocation: it runs on the host's call.
void tagEffectName(char* name) noexcept;

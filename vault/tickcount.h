#pragma once

#include <cstdint>

// Milliseconds since the system started, from a monotonic clock, as an
// unsigned 32-bit number that wraps.
std::uint32_t TickCount();

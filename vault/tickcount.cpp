#include "tickcount.h"

#include <time.h>

std::uint32_t TickCount()
{
    // CLOCK_BOOTTIME counts from boot, suspended time included.
    timespec ts {};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const std::uint64_t ms
        = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

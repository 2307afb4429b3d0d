#include "platform/ThreadDescriptors.h"

#include <unistd.h>

#include <climits>

namespace platform {

bool useOwnDescriptorTable() {
    // Closing every descriptor from 3 up in an unshared copy copies only the three below it.
    return close_range(3, UINT_MAX, CLOSE_RANGE_UNSHARE) == 0;
}

} // namespace platform

// The Windows version code decided from the version and product type that
// Windows reports. Kept apart from <windows.h> so it can be built anywhere.
#pragma once

#include <cstdint>

#include "support/WindowsVersion.h"

// productType: 1 workstation, 2 domain controller, 3 server, 0 when unknown.
WindowsRelease WindowsVersionCode(uint32_t major, uint32_t minor, uint8_t productType);

#include "support/WindowsVersionTable.h"

namespace {

using enum WindowsRelease;

struct VersionRow {
    uint32_t major;
    uint32_t minor;
    WindowsRelease workstation; // product type 1
    WindowsRelease server;      // product type 2 and above
    WindowsRelease unknownType; // product type 0
};

// 5.0 and 5.1 give the same code whatever the product type; from 5.2 on the
// product type tells the desktop from the server release. Every version not
// listed is unknown.
// clang-format off
constexpr VersionRow VersionTable[] = {
    // major minor  type 1         type 2-255         type 0
    {5,     0,      Windows2000,   Windows2000,       Windows2000},
    {5,     1,      WindowsXP,     WindowsXP,         WindowsXP},
    {5,     2,      WindowsXP,     WindowsServer2003, Unknown},
    {6,     0,      WindowsVista,  WindowsServer2008, Unknown},
    {6,     1,      Windows7,      WindowsServer2008, Unknown},
    {6,     2,      Windows8,      WindowsServer2012, Unknown},
};
// clang-format on

} // namespace

WindowsRelease WindowsVersionCode(uint32_t major, uint32_t minor, uint8_t productType) {
    for (const VersionRow& row : VersionTable) {
        if (row.major != major || row.minor != minor) continue;
        if (productType == 0) return row.unknownType;
        return productType == 1 ? row.workstation : row.server;
    }
    return Unknown;
}

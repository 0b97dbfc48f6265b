#include "support/WindowsVersionTable.h"

namespace {

struct VersionRow {
    uint32_t major;
    uint32_t minor;
    int workstation; // product type 1
    int server;      // product type 2 and above
    int unknownType; // product type 0
};

// 5.0 and 5.1 give the same code whatever the product type; from 5.2 on the
// product type tells the desktop from the server release. Every version not
// listed gives -1.
// clang-format off
constexpr VersionRow VersionTable[] = {
    // major minor  type 1  type 2-255  type 0
    {5,     0,      0,      0,           0},
    {5,     1,      1,      1,           1},
    {5,     2,      1,      2,          -1},
    {6,     0,      3,      4,          -1},
    {6,     1,      5,      4,          -1},
    {6,     2,      6,      7,          -1},
};
// clang-format on

} // namespace

int WindowsVersionCode(uint32_t major, uint32_t minor, uint8_t productType) {
    for (const VersionRow& row : VersionTable) {
        if (row.major != major || row.minor != minor) continue;
        if (productType == 0) return row.unknownType;
        return productType == 1 ? row.workstation : row.server;
    }
    return -1;
}

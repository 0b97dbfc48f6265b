// Built into the program with short steps alone: its help library is the
// stand-in that records each call, named by its full path, so that no run
// needs a library beside the program.
#include "support/Seams.h"

namespace {

// Dynamic initialisation, so it runs after the seam's constant one and
// before the program block.
[[maybe_unused]] const bool HelpLibraryIsTheStandIn = [] {
    HtmlHelpLibraryName = HASTREL_STAND_IN_HELP_LIBRARY;
    return true;
}();

} // namespace

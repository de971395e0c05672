#pragma once
// A whole run of the player as its command line asks: the paths it will write checked,
// the scripts collected and read, then played (several at once with --jobs, again on
// failure with --retries), with progress on the way and the reports at the end.

#include "PlayOptions.h"

#include <ostream>
#include <stop_token>

namespace qp {

// Returns the exit status: 0 all passed, 1 any failed, 2 for a run refused before anything
// played (paths that cannot be written or read) and scripts that do not parse. With
// liveStatus (standard output is a terminal), one status line is redrawn in place of the
// start and end lines of the scripts that pass; `width` is the terminal's.
// A stop requested meanwhile (the player told to stop) interrupts the scripts playing, fails
// the rest without playing them, and still writes the reports.
int RunSuite(const PlayOptions& options, std::ostream& out, std::ostream& err, bool liveStatus = false,
             int width = 80, std::stop_token stop = {});

}  // namespace qp

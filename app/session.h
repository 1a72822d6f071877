// One run of dulk: the host set up from the options, the commands run, the results written.
#pragma once

#include <iosfwd>

#include "app/options.h"

namespace dulk {

// Returns the process's exit status.
int run_session(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace dulk

// One run of dulk: the host set up from the options, the commands run, the results written.
#pragma once

#include <iosfwd>
#include <string>

#include "app/options.h"

namespace dulk {

// The module a run loads: --load's, else DulkArx.arx beside dulk.
std::string module_path(const Options& options);

// Why path cannot be read as a file, or empty when it can be tried. The readers open a folder
// without complaint and then fail in ways that do not say what was wrong.
std::string unreadable(const std::string& path);

// Returns the process's exit status.
int run_session(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace dulk

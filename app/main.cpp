// dulk: the stand-in host's program. Opens a drawing (or a new one), loads the dimension-chain
// module, runs a script or the interactive command line, then saves and draws what was asked for;
// or checks the chains of drawings (--check).
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/check.h"
#include "app/options.h"
#include "app/session.h"

int main(int argc, char** argv) {
  // A file that would grow beyond the process's size limit is then a failed write, reported and
  // cleaned up like any other, not the end of the process with a temporary file left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = dulk::parse_options(args, &error);
  if (!options) {
    std::cerr << "dulk: " << error << "\n" << dulk::kUsage;
    return 2;
  }
  if (options->help) {
    std::cout << dulk::kUsage;
    return 0;
  }
  if (options->version) {
    std::cout << "dulk " << DULK_VERSION << "\n";
    return 0;
  }
  if (options->check) return dulk::run_check(*options, std::cout, std::cerr);
  // Before anything runs, so that a run refused writes nothing, not even what SAVE would.
  if (const std::string conflict = dulk::conflicting_outputs(*options); !conflict.empty()) {
    std::cerr << "dulk: " << conflict << "\n";
    return 2;
  }
  return dulk::run_session(*options, std::cout, std::cerr);
}

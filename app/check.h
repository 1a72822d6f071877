// dulk --check: the chains of dimensions in drawings that the module's BemUpd would change. The
// module does the work: BemUpd runs on each chain in turn, in the host the drawings are read
// into, and what it made of the chain is held against the dimensions it erased.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/options.h"
#include "cad/geom/vec.h"

namespace cad {
class Host;
}

namespace dulk {

// A chain that BemUpd would change, and how.
struct StaleChain {
  std::string name;   // its chain name
  std::string layer;  // the layer of its oldest member
  cad::Vec3 first;    // the first extension-line origin of its oldest member, in the world
  // What BemUpd would change, in words, along the chain: "10.00 → 12.00" for a text, a member
  // off its line, gained or lost.
  std::vector<std::string> changes;
};

struct ChainCheck {
  size_t chains = 0;
  std::vector<StaleChain> stale;
};

// Runs BemUpd on every chain of host's drawing (the module loaded), each chain as the module
// finds it from one of its dimensions, and compares each chain with what BemUpd made of it.
// The drawing is left updated; the caller drops it.
ChainCheck check_chains(cad::Host& host);

// dulk --check with the drawings of options: returns the exit status (0 all chains current,
// 1 a chain stale, 2 a drawing unreadable or the module missing).
int run_check(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace dulk

// The arrowheads at the ends of a dimension line, as DIMBLK, DIMBLK1 and DIMBLK2 name them: the
// closed filled arrow (drawn as a SOLID), the host's built-in arrowheads (blocks the drawing gets
// when one is first used, named and shaped as the real host's) or a block of the drawing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cad/db/database.h"

namespace cad {

struct Arrowhead {
  enum class Kind { kClosedFilled, kBlock, kNone };
  Kind kind = Kind::kClosedFilled;
  std::string block;  // the name to insert (kBlock)
  // The dimension line runs to the tip (ticks, small dots, none), and DIMDLE carries it past the
  // extension line; otherwise it stops at the arrow's back, one arrow size short of the tip.
  bool joins_at_tip = false;
};

// The arrowhead a DIMBLK value names. "", "." and "_CLOSEDFILLED": the closed filled arrow.
// "_NONE": nothing. The other built-in names, in any letter case: _CLOSEDBLANK _CLOSED _DOT
// _ARCHTICK _OBLIQUE _OPEN _ORIGIN _ORIGIN2 _OPEN90 _OPEN30 _DOTSMALL _DOTBLANK _SMALL _BOXBLANK
// _BOXFILLED _DATUMBLANK _DATUMFILLED _INTEGRAL, each a block of unit size with its tip at the
// origin pointing along +X ("_ArchTick", ...), added to the drawing when it has none. Any other
// name: the drawing's block of that name (the line stops at its back), or the closed filled
// arrow when the drawing has no such block.
Arrowhead arrowhead(Database& db, std::string_view name);

}  // namespace cad

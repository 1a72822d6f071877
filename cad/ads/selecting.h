// The person's object selection as the host's own commands ask for it ("Select objects: "), with
// what the interface's selection sets cannot tell: the crossing windows and polygons that found
// the objects, by which STRETCH knows what to stretch.
#pragma once

#include <vector>

#include "cad/ads/host.h"
#include "cad/input/prompt.h"
#include "cad/select/filter.h"

namespace cad {

// A crossing window (its four corners) or crossing polygon, in world coordinates, and the objects
// it found.
struct CrossingArea {
  std::vector<Vec3> polygon;
  std::vector<RecordId> found;
};

// The prompt of selecting objects, which every command that selects them asks.
inline constexpr Prompt kSelectObjects{"Select objects:"};

struct PersonSelection {
  std::vector<RecordId> ids;
  // Every crossing area the selection used, in the order given (those a later Undo took back
  // left out).
  std::vector<CrossingArea> crossings;
};

// Asks "Select objects: " until Enter: a point picks the object there (a point that hits
// nothing opens a window to a second corner: to the right a window, to the left a crossing
// window), an entity token adds that entity, and the keywords Window, Last, Crossing, ALL, Fence,
// WPolygon, CPolygon and Previous select as their names say; Remove turns the prompt to
// "Remove objects: ", Add back, and Undo takes back the last selection made. The objects chosen,
// when there are any, become the previous selection. RTNORM (possibly with no objects), RTCAN on
// Esc.
int select_by_person(Host& host, const CompiledFilter& filter, PersonSelection& out);

}  // namespace cad

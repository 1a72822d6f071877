// Selection sets and the ways of filling them: the whole drawing ("X"), fences, windows,
// crossing windows, single picks and the last object.
//
// What each way looks at:
//   - select_all: every main entity of the ENTITIES section, model and paper space, erased ones
//     left out; layers that are off or frozen count (as the host's "X" does).
//   - every graphic way (fence, window, crossing, pick, last): main entities of model space only
//     (the stand-in host shows model space), not erased, not invisible (60 = 1), and not on a
//     layer that is off (negative colour 62 in its LAYER entry) or frozen (70 bit 1).
// Main entities are all but VERTEX, SEQEND and ATTRIB records. Results come in drawing order.
// A filter that asks for extended data of an application (-3) makes every scan look only at the
// entities the database indexes under matching applications.
// Geometry is what entity_paths (cad/shapes/shapes.h) draws, seen in the world XY plane.
#pragma once

#include <cstdint>
#include <map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cad/db/database.h"
#include "cad/geom/vec.h"
#include "cad/select/filter.h"

namespace cad {

// Numbered sets of entities, each in the order entities were added, without duplicates. Numbers
// start at 1 and are never reused, so a stale number finds nothing.
class SelectionSets {
 public:
  int64_t create();
  int64_t create(const std::vector<RecordId>& ids);
  bool exists(int64_t set) const { return sets_.count(set) != 0; }
  // False when there is no such set.
  bool free(int64_t set);

  // False when there is no such set or nothing changed.
  bool add(int64_t set, RecordId id);
  bool remove(int64_t set, RecordId id);
  bool contains(int64_t set, RecordId id) const;
  // 0 for a set that does not exist.
  size_t size(int64_t set) const;
  // kNoRecord outside the set or for a set that does not exist.
  RecordId at(int64_t set, size_t index) const;
  // The sets not yet freed, in ascending order.
  std::vector<int64_t> live_ids() const;

  // The objects of the newest selection made (what "Previous" selects), in order.
  const std::vector<RecordId>& previous() const { return previous_; }
  void set_previous(std::vector<RecordId> ids) { previous_ = std::move(ids); }

 private:
  struct Set {
    std::vector<RecordId> order;
    std::unordered_set<RecordId> members;
  };
  std::map<int64_t, Set> sets_;
  int64_t next_ = 1;
  std::vector<RecordId> previous_;
};

std::vector<RecordId> select_all(const Database& db, const CompiledFilter& filter);
// Objects that any segment of the open fence (world points, at least two) crosses or touches.
std::vector<RecordId> select_fence(const Database& db, const std::vector<Vec3>& points,
                                   const CompiledFilter& filter);
// Objects lying entirely inside the window given by two opposite corners.
std::vector<RecordId> select_window(const Database& db, Vec3 corner1, Vec3 corner2,
                                    const CompiledFilter& filter);
// Objects inside the window or crossing its border. Text, solids and traces also count when the
// window lies within them.
std::vector<RecordId> select_crossing(const Database& db, Vec3 corner1, Vec3 corner2,
                                      const CompiledFilter& filter);
// The same for a closed polygon (world points, at least three, joined in the XY plane): objects
// lying entirely inside it (WPolygon), and objects inside it or crossing its edges (CPolygon).
std::vector<RecordId> select_window_polygon(const Database& db, const std::vector<Vec3>& polygon,
                                            const CompiledFilter& filter);
std::vector<RecordId> select_crossing_polygon(const Database& db, const std::vector<Vec3>& polygon,
                                              const CompiledFilter& filter);
// Whether a point lies inside the closed polygon or on its edges, seen in the XY plane.
bool polygon_contains(const std::vector<Vec3>& polygon, Vec3 point);
// The object nearest to the point among those within tolerance of it (inside text, solids and
// traces counts as on them); of objects equally near, the newest. kNoRecord when none.
RecordId pick(const Database& db, Vec3 point, double tolerance);
// The newest object a graphic selection could find, or kNoRecord.
RecordId last(const Database& db);
// A pick tolerance for the drawing whatever its unit: 1/500 of the diagonal of the extents of
// what a graphic selection could find (a pick box of a few pixels on a drawing filling the
// screen), at least 1e-9 so that an empty drawing still gets a usable value.
double default_pick_tolerance(const Database& db);

}  // namespace cad

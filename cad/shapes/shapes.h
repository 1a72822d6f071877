// The drawn geometry of an entity as polylines in world coordinates: what picks, fences and
// windows test and what the SVG pictures draw.
//
// A path's arcs (bulges) are circular in the world XY plane, the view every selection and picture
// uses; where an object's plane is tilted so that its arcs would show as ellipses, the arcs come
// already divided into short segments. Approximations:
//   - text (TEXT, ATTRIB, ATTDEF, MTEXT) is its box, 0.6 x height wide per character (MTEXT: its
//     reference width when set), turned and placed by its alignment or attachment;
//   - ellipses are divided into segments (64 per full turn), SPLINEs run through their fit points
//     or else their control points, HATCHes give their boundaries (spline edges by their control
//     points);
//   - a DIMENSION draws its block; without one, a rotated or aligned dimension gives its dimension
//     and extension lines, the others nothing;
//   - INSERTs (also MINSERT arrays) draw their block with its attributes, nested up to 16 deep; an
//     INSERT inside its own block draws nothing there;
//   - infinite lines, images, regions and solids of the modeller give no paths.
// Layers that are off or frozen are not looked at here: callers decide what is visible.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/db/database.h"
#include "cad/geom/arcs.h"
#include "cad/shapes/path.h"
#include "cad/shapes/placement.h"
#include "cad/types/entity_types.h"

namespace cad {

// Block geometry kept while many entities are looked at, so that every INSERT of a block does not
// redraw the block. Valid only while the database does not change.
class ShapeCache {
 public:
  ShapeCache() = default;

  // The block of that name (any case) that INSERTs and DIMENSIONs draw, or Database::npos.
  size_t find_block(const Database& db, std::string_view name);

 private:
  friend class ShapeBuilder;
  std::unordered_map<size_t, std::vector<Path>> blocks_;
  std::unordered_map<std::string, size_t> block_names_;  // upper-case name to block index
  std::unordered_set<size_t> drawing_;  // blocks being drawn (an INSERT of one draws nothing)
};

std::vector<Path> entity_paths(const Database& db, RecordId id);
// The same for the entity at siblings[index] (the list it lives in: db.entities() or a block's
// entities), the form for scans: POLYLINE vertices and INSERT attributes follow their owner there.
std::vector<Path> entity_paths_at(const Database& db, const std::vector<RecordId>& siblings,
                                  size_t index, ShapeCache& cache);

// The bounding box of the entity's paths in the world XY plane.
Box2 entity_box(const Database& db, RecordId id);
// A box that holds every path the entity draws, found from its record alone: for LINEs, and for
// LWPOLYLINEs in the world XY plane, whose coordinates are finite. Nothing for the rest. Scans
// that look only near a region pass over what lies wholly outside it without drawing it.
std::optional<Box2> entity_quick_box(const Record& rec);

}  // namespace cad

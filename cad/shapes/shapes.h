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
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/db/database.h"
#include "cad/geom/arcs.h"
#include "cad/geom/vec.h"

namespace cad {

struct Path {
  std::vector<Vec3> points;
  // Empty, or one per point: the bulge of the segment from that point to the next (from the last
  // to the first when closed).
  std::vector<double> bulges;
  bool closed = false;
};

// Block geometry kept while many entities are looked at, so that every INSERT of a block does not
// redraw the block. Valid only while the database does not change.
class ShapeCache {
 public:
  ShapeCache() = default;

 private:
  friend class ShapeBuilder;
  std::unordered_map<size_t, std::vector<Path>> blocks_;
  std::unordered_map<std::string, size_t> block_names_;  // upper-case name to block index
  std::unordered_set<size_t> drawing_;  // blocks being drawn (an INSERT of one draws nothing)
};

// VERTEX, SEQEND and ATTRIB records are parts of the POLYLINE or INSERT before them: they have no
// paths of their own and are never selected.
bool is_owned_entity_type(std::string_view type);

std::vector<Path> entity_paths(const Database& db, RecordId id);
// The same for the entity at siblings[index] (the list it lives in: db.entities() or a block's
// entities), the form for scans: POLYLINE vertices and INSERT attributes follow their owner there.
std::vector<Path> entity_paths_at(const Database& db, const std::vector<RecordId>& siblings,
                                  size_t index, ShapeCache& cache);

// Bounding boxes in the world XY plane; arcs count with their real extent.
Box2 path_box(const Path& path);
Box2 paths_box(const std::vector<Path>& paths);
Box2 entity_box(const Database& db, RecordId id);

// Calls f(a, b, bulge) for every segment of a path, in the XY plane; a path of one point gives one
// segment from that point to itself.
template <typename F>
void for_each_segment(const Path& path, F&& f) {
  const size_t n = path.points.size();
  if (n == 0) return;
  if (n == 1) {
    f(xy(path.points[0]), xy(path.points[0]), 0.0);
    return;
  }
  const size_t count = path.closed ? n : n - 1;
  for (size_t k = 0; k < count; ++k) {
    const double bulge = path.bulges.empty() ? 0.0 : path.bulges[k];
    f(xy(path.points[k]), xy(path.points[(k + 1) % n]), bulge);
  }
}

// The distance in the XY plane from a point to the nearest point of the path.
double path_distance(const Path& path, Vec2 p);
// Whether the segment from a to b meets the path (touching counts).
bool path_crosses_segment(const Path& path, Vec2 a, Vec2 b);
// Whether any part of the path lies in the box.
bool path_meets_box(const Path& path, const Box2& box);
// Whether a closed path surrounds the point (even-odd rule; arcs taken as their chords).
bool path_encloses(const Path& path, Vec2 p);

}  // namespace cad

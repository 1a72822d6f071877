// Selection sets and the scans that fill them. The scans walk the ENTITIES list in order and draw
// each candidate's paths once, sharing block geometry through one ShapeCache per scan.
#include "cad/select/selection.h"

#include <algorithm>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "cad/base/text.h"
#include "cad/geom/arcs.h"
#include "cad/select/wildcard.h"
#include "cad/shapes/affine.h"
#include "cad/shapes/shapes.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"

namespace cad {

int64_t SelectionSets::create() {
  const int64_t set = next_++;
  sets_.emplace(set, Set{});
  return set;
}

int64_t SelectionSets::create(const std::vector<RecordId>& ids) {
  const int64_t set = create();
  for (RecordId id : ids) add(set, id);
  return set;
}

bool SelectionSets::free(int64_t set) { return sets_.erase(set) != 0; }

bool SelectionSets::add(int64_t set, RecordId id) {
  const auto it = sets_.find(set);
  if (it == sets_.end() || !it->second.members.insert(id).second) return false;
  it->second.order.push_back(id);
  return true;
}

bool SelectionSets::remove(int64_t set, RecordId id) {
  const auto it = sets_.find(set);
  if (it == sets_.end() || it->second.members.erase(id) == 0) return false;
  std::vector<RecordId>& order = it->second.order;
  order.erase(std::find(order.begin(), order.end(), id));
  return true;
}

bool SelectionSets::contains(int64_t set, RecordId id) const {
  const auto it = sets_.find(set);
  return it != sets_.end() && it->second.members.count(id) != 0;
}

size_t SelectionSets::size(int64_t set) const {
  const auto it = sets_.find(set);
  return it == sets_.end() ? 0 : it->second.order.size();
}

RecordId SelectionSets::at(int64_t set, size_t index) const {
  const auto it = sets_.find(set);
  if (it == sets_.end() || index >= it->second.order.size()) return kNoRecord;
  return it->second.order[index];
}

std::vector<int64_t> SelectionSets::live_ids() const {
  std::vector<int64_t> ids;
  ids.reserve(sets_.size());
  for (const auto& entry : sets_) ids.push_back(entry.first);
  return ids;
}

namespace {

// Layers whose objects cannot be seen: off or frozen.
class HiddenLayers {
 public:
  explicit HiddenLayers(const Database& db) {
    for (RecordId id : db.table_entries("LAYER")) {
      const Record& layer = db.record(id);
      if (layer_off(layer) || layer_frozen(layer)) names_.emplace_back(layer.text(2));
    }
  }

  bool hides(const Record& rec) const {
    const std::string_view layer = rec.text(8, "0");
    return std::any_of(names_.begin(), names_.end(),
                       [&](const std::string& name) { return iequals(name, layer); });
  }

 private:
  std::vector<std::string> names_;
};

bool is_main(const Database& db, RecordId id) {
  return db.valid(id) && !db.erased(id) && !is_entity_part(db.record(id).type);
}

// In model space, not invisible and on a layer that shows.
bool shown(const Record& rec, const HiddenLayers& hidden) {
  return rec.integer(67) != 1 && rec.integer(60) != 1 && !hidden.hides(rec);
}

bool graphic_candidate(const Database& db, RecordId id, const HiddenLayers& hidden) {
  return is_main(db, id) && shown(db.record(id), hidden);
}

// Objects whose inside counts as part of them for picks and crossing windows.
bool is_area_type(std::string_view type) {
  return iequals(type, "TEXT") || iequals(type, "MTEXT") || iequals(type, "ATTDEF") ||
         iequals(type, "SOLID") || iequals(type, "TRACE");
}

bool encloses(std::string_view type, const std::vector<Path>& paths, Vec2 p) {
  return is_area_type(type) && std::any_of(paths.begin(), paths.end(), [&](const Path& path) {
           return path_encloses(path, p);
         });
}

// Calls f(k) for each position k of the ENTITIES list that a scan with this filter has to look
// at, in drawing order: when the filter asks for extended data of an application, only the
// entities the database indexes under a matching application, else every one.
template <typename F>
void for_each_candidate(const Database& db, const CompiledFilter& filter, F&& f) {
  const std::optional<std::string_view> app = filter.required_app();
  if (!app) {
    for (size_t k = 0; k < db.entities().size(); ++k) f(k);
    return;
  }
  std::vector<RecordId> ids;
  auto take = [&](std::span<const RecordId> found) {
    ids.insert(ids.end(), found.begin(), found.end());
  };
  if (!wildcard_has_special(*app)) {
    take(db.xdata_apps().find(*app));
  } else {
    db.xdata_apps().for_each([&](std::string_view name, std::span<const RecordId> found) {
      if (filter.required_app_matches(name)) take(found);
    });
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  }
  for (RecordId id : ids) f(db.position(id));
}

// Calls f(id, record, paths) for each object a graphic selection could find that the filter
// accepts, in drawing order. With `near`, objects whose box (see entity_quick_box) misses it are
// passed over undrawn: f must find nothing whose paths lie wholly outside `near`.
template <typename F>
void for_each_drawn(const Database& db, const CompiledFilter& filter,
                    const std::optional<Box2>& near, F&& f) {
  const HiddenLayers hidden(db);
  ShapeCache cache;
  const std::vector<RecordId>& list = db.entities();
  for_each_candidate(db, filter, [&](size_t k) {
    const RecordId id = list[k];
    if (!is_main(db, id)) return;
    const Record& rec = db.record(id);
    if (near) {
      const std::optional<Box2> box = entity_quick_box(rec);
      if (box && !box->overlaps(*near)) return;
    }
    if (!shown(rec, hidden) || !filter.matches(rec)) return;
    f(id, rec, entity_paths_at(db, list, k, cache));
  });
}

}  // namespace

std::vector<RecordId> select_all(const Database& db, const CompiledFilter& filter) {
  std::vector<RecordId> found;
  const std::vector<RecordId>& list = db.entities();
  for_each_candidate(db, filter, [&](size_t k) {
    if (is_main(db, list[k]) && filter.matches(db.record(list[k]))) found.push_back(list[k]);
  });
  return found;
}

std::vector<RecordId> select_fence(const Database& db, const std::vector<Vec3>& points,
                                   const CompiledFilter& filter) {
  std::vector<RecordId> found;
  if (points.size() < 2) return found;
  Box2 fence_box;
  for (const Vec3& p : points) fence_box.extend(xy(p));
  for_each_drawn(db, filter, fence_box,
                 [&](RecordId id, const Record&, const std::vector<Path>& paths) {
                   if (!paths_box(paths).overlaps(fence_box)) return;
                   for (size_t k = 0; k + 1 < points.size(); ++k) {
                     const Vec2 a = xy(points[k]);
                     const Vec2 b = xy(points[k + 1]);
                     for (const Path& path : paths) {
                       if (path_crosses_segment(path, a, b)) {
                         found.push_back(id);
                         return;
                       }
                     }
                   }
                 });
  return found;
}

std::vector<RecordId> select_window(const Database& db, Vec3 corner1, Vec3 corner2,
                                    const CompiledFilter& filter) {
  std::vector<RecordId> found;
  const Box2 window(xy(corner1), xy(corner2));
  for_each_drawn(db, filter, window,
                 [&](RecordId id, const Record&, const std::vector<Path>& paths) {
                   if (window.contains(paths_box(paths))) found.push_back(id);
                 });
  return found;
}

std::vector<RecordId> select_crossing(const Database& db, Vec3 corner1, Vec3 corner2,
                                      const CompiledFilter& filter) {
  std::vector<RecordId> found;
  const Box2 window(xy(corner1), xy(corner2));
  const Vec2 center = (window.min + window.max) / 2;
  for_each_drawn(
      db, filter, window, [&](RecordId id, const Record& rec, const std::vector<Path>& paths) {
        const Box2 box = paths_box(paths);
        if (!box.overlaps(window)) return;
        const bool hit =
            window.contains(box) ||
            std::any_of(paths.begin(), paths.end(),
                        [&](const Path& path) { return path_meets_box(path, window); }) ||
            encloses(rec.type, paths, center);
        if (hit) found.push_back(id);
      });
  return found;
}

namespace {

Path polygon_path(const std::vector<Vec3>& polygon) {
  Path path;
  path.points = polygon;
  path.closed = true;
  return path;
}

Box2 polygon_box(const std::vector<Vec3>& polygon) {
  Box2 box;
  for (const Vec3& p : polygon) box.extend(xy(p));
  return box;
}

// Whether an edge of the polygon meets the path.
bool meets_edges(const Path& path, const std::vector<Vec3>& polygon) {
  for (size_t k = 0; k < polygon.size(); ++k) {
    if (path_crosses_segment(path, xy(polygon[k]), xy(polygon[(k + 1) % polygon.size()])))
      return true;
  }
  return false;
}

}  // namespace

bool polygon_contains(const std::vector<Vec3>& polygon, Vec3 point) {
  if (polygon.size() < 3) return false;
  const Path path = polygon_path(polygon);
  const Vec2 p = xy(point);
  return path_encloses(path, p) || path_distance(path, p) == 0;
}

std::vector<RecordId> select_window_polygon(const Database& db, const std::vector<Vec3>& polygon,
                                            const CompiledFilter& filter) {
  std::vector<RecordId> found;
  if (polygon.size() < 3) return found;
  const Box2 box = polygon_box(polygon);
  for_each_drawn(db, filter, box, [&](RecordId id, const Record&, const std::vector<Path>& paths) {
    const Box2 own = paths_box(paths);
    if (own.empty() || !box.contains(own)) return;
    for (const Path& path : paths) {
      const Path flat = tessellated(path);
      for (const Vec3& p : flat.points)
        if (!polygon_contains(polygon, p)) return;
      if (meets_edges(flat, polygon)) return;
    }
    found.push_back(id);
  });
  return found;
}

std::vector<RecordId> select_crossing_polygon(const Database& db, const std::vector<Vec3>& polygon,
                                              const CompiledFilter& filter) {
  std::vector<RecordId> found;
  if (polygon.size() < 3) return found;
  const Box2 box = polygon_box(polygon);
  for_each_drawn(
      db, filter, box, [&](RecordId id, const Record& rec, const std::vector<Path>& paths) {
        if (!paths_box(paths).overlaps(box)) return;
        const bool hit =
            std::any_of(paths.begin(), paths.end(),
                        [&](const Path& path) {
                          return meets_edges(path, polygon) ||
                                 std::any_of(path.points.begin(), path.points.end(),
                                             [&](Vec3 p) { return polygon_contains(polygon, p); });
                        }) ||
            encloses(rec.type, paths, xy(polygon.front()));
        if (hit) found.push_back(id);
      });
  return found;
}

RecordId pick(const Database& db, Vec3 point, double tolerance) {
  const Vec2 p = xy(point);
  // Distances closer than this count as equal, so that the newer of two coinciding objects wins.
  const double tie = tolerance * 1e-9;
  RecordId best_id = kNoRecord;
  double best = tolerance;
  const Box2 near({p.x - tolerance, p.y - tolerance}, {p.x + tolerance, p.y + tolerance});
  for_each_drawn(db, CompiledFilter(), near,
                 [&](RecordId id, const Record& rec, const std::vector<Path>& paths) {
                   const Box2 box = paths_box(paths);
                   if (box.empty() || p.x < box.min.x - tolerance || p.x > box.max.x + tolerance ||
                       p.y < box.min.y - tolerance || p.y > box.max.y + tolerance)
                     return;
                   double d =
                       encloses(rec.type, paths, p) ? 0 : std::numeric_limits<double>::infinity();
                   for (const Path& path : paths) d = std::min(d, path_distance(path, p));
                   if (d <= best + tie) {
                     best = std::min(best, d);
                     best_id = id;
                   }
                 });
  return best_id;
}

RecordId last(const Database& db) {
  const HiddenLayers hidden(db);
  const std::vector<RecordId>& list = db.entities();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (graphic_candidate(db, *it, hidden)) return *it;
  }
  return kNoRecord;
}

double default_pick_tolerance(const Database& db) {
  constexpr double kFractionOfExtents = 1.0 / 500;
  constexpr double kSmallest = 1e-9;
  Box2 extents;
  for_each_drawn(db, CompiledFilter(), std::nullopt,
                 [&](RecordId, const Record&, const std::vector<Path>& paths) {
                   extents.extend(paths_box(paths));
                 });
  if (extents.empty()) return kSmallest;
  return std::max(distance(extents.min, extents.max) * kFractionOfExtents, kSmallest);
}

}  // namespace cad

// Entity geometry: each entity type's groups read into paths in its own coordinates (object
// coordinates, a block's coordinates), then carried to the world by one affine map.
#include "cad/shapes/shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cad/base/text.h"
#include "cad/db/record.h"
#include "cad/geom/coords.h"
#include "cad/shapes/affine.h"
#include "cad/shapes/hatch.h"
#include "cad/shapes/placement.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr double kPi = std::numbers::pi;
// Text boxes: the width of a character as a fraction of the height.
constexpr double kCharWidth = 0.6;

void emit(std::vector<Path>& out, Path path, const Affine& m) {
  out.push_back(transformed(std::move(path), m));
}

// Characters of single-line text: a %% control sequence counts as one.
size_t text_length(std::string_view s) {
  size_t count = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 2, "%%") == 0 && i + 2 < s.size()) {
      ++count;
      i += 2;
    } else if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      ++count;
    }
  }
  return count;
}

struct MtextSize {
  size_t lines = 1;
  size_t longest = 0;
};

// Lines and the longest line of MTEXT contents, formatting codes left out.
MtextSize measure_mtext(std::string_view s) {
  MtextSize size;
  size_t current = 0;
  auto count = [&](size_t n) {
    current += n;
    size.longest = std::max(size.longest, current);
  };
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\\' && i + 1 < s.size()) {
      const char code = s[i + 1];
      if (code == 'P') {
        ++size.lines;
        current = 0;
        i += 2;
      } else if (std::string_view("fFHhWwQqTtAaCcpS").find(code) != std::string_view::npos) {
        if (code == 'S') count(1);
        const size_t end = s.find(';', i);
        i = end == std::string_view::npos ? s.size() : end + 1;
      } else if (std::string_view("LlOoKk").find(code) != std::string_view::npos) {
        i += 2;
      } else if (code == 'U' && s.compare(i + 2, 1, "+") == 0) {
        count(1);
        i = std::min(s.size(), i + 7);
      } else {
        count(1);
        i += 2;
      }
    } else if (c == '{' || c == '}') {
      ++i;
    } else if (c == '\n') {
      ++size.lines;
      current = 0;
      ++i;
    } else if (s.compare(i, 2, "%%") == 0 && i + 2 < s.size()) {
      count(1);
      i += 3;
    } else {
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) count(1);
      ++i;
    }
  }
  return size;
}

Path box_path(double x0, double y0, double w, double h) {
  Path path;
  path.points = {{x0, y0, 0}, {x0 + w, y0, 0}, {x0 + w, y0 + h, 0}, {x0, y0 + h, 0}};
  path.closed = true;
  return path;
}

}  // namespace

// Reads entities into paths; one builder serves one call or one scan, through its cache.
class ShapeBuilder {
 public:
  ShapeBuilder(const Database& db, ShapeCache& cache) : db_(db), cache_(cache) {}

  void entity(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
              std::vector<Path>& out);

 private:
  const std::vector<Path>* block_paths(size_t block);

  void line(const Record& rec, const Affine& m, std::vector<Path>& out);
  void circle(const Record& rec, const Affine& m, std::vector<Path>& out);
  void arc(const Record& rec, const Affine& m, std::vector<Path>& out);
  void ellipse(const Record& rec, const Affine& m, std::vector<Path>& out);
  void lwpolyline(const Record& rec, const Affine& m, std::vector<Path>& out);
  void polyline(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
                std::vector<Path>& out);
  void quad(const Record& rec, bool in_ocs, const Affine& m, std::vector<Path>& out);
  void mline(const Record& rec, const Affine& m, std::vector<Path>& out);
  void insert(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
              std::vector<Path>& out);
  void dimension(const Record& rec, const Affine& m, std::vector<Path>& out);
  void text(const Record& rec, const Affine& m, std::vector<Path>& out);
  void mtext(const Record& rec, const Affine& m, std::vector<Path>& out);
  void points_of(const Record& rec, int code, bool closed, const Affine& m, std::vector<Path>& out);

  const Database& db_;
  ShapeCache& cache_;
  int depth_ = 0;
};

void ShapeBuilder::entity(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
                          std::vector<Path>& out) {
  const Record& rec = db_.record(siblings[index]);
  switch (entity_kind(rec.type)) {
    case EntityKind::kLine:
      line(rec, m, out);
      break;
    case EntityKind::kPoint: {
      Path path;
      path.points = {rec.point(10), rec.point(10)};
      emit(out, std::move(path), m);
      break;
    }
    case EntityKind::kCircle:
      circle(rec, m, out);
      break;
    case EntityKind::kArc:
      arc(rec, m, out);
      break;
    case EntityKind::kEllipse:
      ellipse(rec, m, out);
      break;
    case EntityKind::kLwpolyline:
      lwpolyline(rec, m, out);
      break;
    case EntityKind::kPolyline:
      polyline(siblings, index, m, out);
      break;
    case EntityKind::kSolid:
      quad(rec, true, m, out);
      break;
    case EntityKind::kFace:
      quad(rec, false, m, out);
      break;
    case EntityKind::kMline:
      mline(rec, m, out);
      break;
    case EntityKind::kInsert:
      insert(siblings, index, m, out);
      break;
    case EntityKind::kDimension:
      dimension(rec, m, out);
      break;
    case EntityKind::kText:
      text(rec, m, out);
      break;
    case EntityKind::kMtext:
      mtext(rec, m, out);
      break;
    case EntityKind::kHatch:
      hatch_paths(rec, m, out);
      break;
    case EntityKind::kSpline:
      points_of(rec, rec.has(11) ? 11 : 10, (rec.integer(70) & kSplineClosed) != 0, m, out);
      break;
    case EntityKind::kLeader:
      points_of(rec, 10, false, m, out);
      break;
    case EntityKind::kOther:
      break;
  }
}

size_t ShapeCache::find_block(const Database& db, std::string_view name) {
  if (block_names_.empty()) {
    for (size_t k = 0; k < db.blocks().size(); ++k) {
      const RecordId begin = db.blocks()[k].begin;
      if (db.valid(begin) && !db.erased(begin))
        block_names_.emplace(to_upper(db.record(begin).text(2)), k);
    }
  }
  const auto it = block_names_.find(to_upper(name));
  return it == block_names_.end() ? Database::npos : it->second;
}

const std::vector<Path>* ShapeBuilder::block_paths(size_t block) {
  const auto found = cache_.blocks_.find(block);
  if (found != cache_.blocks_.end()) return &found->second;
  if (cache_.drawing_.count(block) != 0 || depth_ >= kMaxBlockNesting) return nullptr;
  cache_.drawing_.insert(block);
  ++depth_;
  std::vector<Path> paths;
  const std::vector<RecordId>& entities = db_.blocks()[block].entities;
  for (size_t k = 0; k < entities.size(); ++k) {
    const RecordId id = entities[k];
    if (db_.valid(id) && !db_.erased(id) && draws_in_block(db_.record(id).type))
      entity(entities, k, Affine{}, paths);
  }
  --depth_;
  cache_.drawing_.erase(block);
  return &(cache_.blocks_[block] = std::move(paths));
}

void ShapeBuilder::line(const Record& rec, const Affine& m, std::vector<Path>& out) {
  Path path;
  path.points = {rec.point(10), rec.point(11)};
  emit(out, std::move(path), m);
}

void ShapeBuilder::circle(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const Vec3 c = rec.point(10);
  const double r = rec.real(40);
  if (r <= 0) return;
  Path path;
  path.points = {{c.x + r, c.y, c.z}, {c.x - r, c.y, c.z}};
  path.bulges = {1, 1};
  path.closed = true;
  emit(out, std::move(path), m.after(ocs_map(extrusion_of(rec))));
}

void ShapeBuilder::arc(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const Vec3 c = rec.point(10);
  const double r = rec.real(40);
  if (r <= 0) return;
  const double start = rec.real(50);
  double sweep = normalize_angle(rec.real(51) - start);
  if (sweep == 0) sweep = 2 * kPi;
  Path path;
  append_arc(path, xy(c), r, start, sweep, c.z);
  emit(out, std::move(path), m.after(ocs_map(extrusion_of(rec))));
}

void ShapeBuilder::ellipse(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const Vec3 center = rec.point(10);
  const Vec3 major = rec.point(11);
  const double ratio = rec.real(40, 1);
  const double start = rec.real(41, 0);
  double sweep = normalize_angle(rec.real(42, 2 * kPi) - start);
  if (sweep < 1e-12) sweep = 2 * kPi;
  const bool full = sweep > 2 * kPi - 1e-9;
  const int steps = ellipse_segments(sweep);
  Path path;
  path.closed = full;
  for (int i = 0; i <= steps - (full ? 1 : 0); ++i) {
    path.points.push_back(
        ellipse_point(center, major, extrusion_of(rec), ratio, start + sweep * i / steps));
  }
  emit(out, std::move(path), m);
}

void ShapeBuilder::lwpolyline(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const double elevation = rec.real(38);
  Path path;
  path.closed = (rec.integer(70) & kPolylineClosed) != 0;
  for (const Group& g : rec.groups) {
    if (g.code == 1001) break;
    if (g.code == 10) {
      path.points.push_back({g.x(), g.y(), elevation});
      path.bulges.push_back(0);
    } else if (g.code == 42 && !path.points.empty()) {
      path.bulges.back() = g.x();
    }
  }
  if (path.points.empty()) return;
  emit(out, std::move(path), m.after(ocs_map(extrusion_of(rec))));
}

void ShapeBuilder::polyline(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
                            std::vector<Path>& out) {
  const Record& rec = db_.record(siblings[index]);
  const int64_t flags = rec.integer(70);
  std::vector<const Record*> vertices;
  for (size_t k = index + 1; k < siblings.size(); ++k) {
    const Record& v = db_.record(siblings[k]);
    if (!iequals(v.type, "VERTEX")) break;
    vertices.push_back(&v);
  }
  if (flags & kPolyfaceMesh) {
    // Polyface mesh: positions first, then faces naming up to four positions (negative: the edge
    // from there is hidden; drawn anyway, as a pick target).
    std::vector<Vec3> positions;
    for (const Record* v : vertices) {
      const int64_t vflags = v->integer(70);
      if (vflags & kVertexMesh) {
        positions.push_back(v->point(10));
        continue;
      }
      Path face;
      face.closed = true;
      for (int code = 71; code <= 74; ++code) {
        const int64_t at = std::abs(v->integer(code));
        if (at >= 1 && static_cast<size_t>(at) <= positions.size())
          face.points.push_back(positions[static_cast<size_t>(at - 1)]);
      }
      if (!face.points.empty()) emit(out, std::move(face), m);
    }
    return;
  }
  if (flags & kPolygonMesh) {
    // Polygon mesh: M rows of N vertices, each row and each column a line.
    const int64_t rows = rec.integer(71);
    const int64_t columns = rec.integer(72);
    if (rows <= 0 || columns <= 0 || static_cast<size_t>(rows * columns) != vertices.size()) return;
    for (int64_t r = 0; r < rows; ++r) {
      Path path;
      path.closed = (flags & kPolygonMeshClosedN) != 0;
      for (int64_t c = 0; c < columns; ++c)
        path.points.push_back(vertices[static_cast<size_t>(r * columns + c)]->point(10));
      emit(out, std::move(path), m);
    }
    for (int64_t c = 0; c < columns; ++c) {
      Path path;
      path.closed = (flags & kPolylineClosed) != 0;
      for (int64_t r = 0; r < rows; ++r)
        path.points.push_back(vertices[static_cast<size_t>(r * columns + c)]->point(10));
      emit(out, std::move(path), m);
    }
    return;
  }
  const bool three_d = (flags & kPolyline3d) != 0;
  const double elevation = rec.point(10).z;
  Path path;
  path.closed = (flags & kPolylineClosed) != 0;
  for (const Record* v : vertices) {
    // Frame points of a spline-fit polyline are not on the drawn curve.
    if (v->integer(70) & kVertexSplineFrame) continue;
    const Vec3 p = v->point(10);
    path.points.push_back(three_d ? p : Vec3{p.x, p.y, elevation});
    path.bulges.push_back(three_d ? 0 : v->real(42));
  }
  if (path.points.empty()) return;
  emit(out, std::move(path), three_d ? m : m.after(ocs_map(extrusion_of(rec))));
}

void ShapeBuilder::quad(const Record& rec, bool in_ocs, const Affine& m, std::vector<Path>& out) {
  const Vec3 p3 = rec.point(12);
  const Vec3 p4 = rec.point(13, p3);
  Path path;
  path.closed = true;
  // A SOLID's third and fourth points run across: its outline goes 1, 2, 4, 3.
  path.points = {rec.point(10), rec.point(11), in_ocs ? p4 : p3, in_ocs ? p3 : p4};
  if (p3 == p4) path.points.pop_back();
  emit(out, std::move(path), in_ocs ? m.after(ocs_map(extrusion_of(rec))) : m);
}

void ShapeBuilder::mline(const Record& rec, const Affine& m, std::vector<Path>& out) {
  struct Vertex {
    Vec3 point;
    Vec3 miter;
    std::vector<double> offsets;  // the first parameter of each element
  };
  std::vector<Vertex> vertices;
  const std::vector<Group>& g = rec.groups;
  for (size_t k = 0; k < g.size() && g[k].code != 1001; ++k) {
    if (g[k].code == 11) {
      vertices.push_back({g[k].pt(), {}, {}});
    } else if (vertices.empty()) {
      continue;
    } else if (g[k].code == 13) {
      vertices.back().miter = g[k].pt();
    } else if (g[k].code == 74) {
      const bool given = g[k].i() > 0 && k + 1 < g.size() && g[k + 1].code == 41;
      vertices.back().offsets.push_back(given ? g[k + 1].x() : 0);
    }
  }
  if (vertices.empty()) return;
  const bool closed = (rec.integer(71) & kMlineClosed) != 0;
  const auto elements = static_cast<size_t>(std::max<int64_t>(0, rec.integer(73)));
  const bool per_vertex =
      elements > 0 && std::all_of(vertices.begin(), vertices.end(),
                                  [&](const Vertex& v) { return v.offsets.size() == elements; });
  auto draw = [&](auto offset_of, size_t count) {
    for (size_t e = 0; e < count; ++e) {
      Path path;
      path.closed = closed;
      for (const Vertex& v : vertices) path.points.push_back(v.point + v.miter * offset_of(v, e));
      emit(out, std::move(path), m);
    }
  };
  if (per_vertex) {
    draw([](const Vertex& v, size_t e) { return v.offsets[e]; }, elements);
    return;
  }
  RecordId style = db_.find_handle(rec.text(340));
  if (style == kNoRecord || !iequals(db_.record(style).type, "MLINESTYLE")) {
    style = kNoRecord;
    for (RecordId id : db_.objects()) {
      const Record& obj = db_.record(id);
      if (iequals(obj.type, "MLINESTYLE") && iequals(obj.text(2), rec.text(2))) style = id;
    }
  }
  std::vector<double> offsets;
  if (style != kNoRecord) {
    for (const Group& item : db_.record(style).groups)
      if (item.code == 49) offsets.push_back(item.x() * rec.real(40, 1));
  }
  if (offsets.empty()) {
    draw([](const Vertex&, size_t) { return 0.0; }, 1);
    return;
  }
  draw([&](const Vertex&, size_t e) { return offsets[e]; }, offsets.size());
}

void ShapeBuilder::insert(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
                          std::vector<Path>& out) {
  const Record& rec = db_.record(siblings[index]);
  const size_t block = cache_.find_block(db_, rec.text(2));
  const std::vector<Path>* paths = block == Database::npos ? nullptr : block_paths(block);
  if (paths && !paths->empty()) {
    for (const Affine& map : insert_maps(db_, rec, block, m)) {
      for (const Path& path : *paths) emit(out, path, map);
    }
  }
  const size_t end = attributes_end(db_, siblings, index);
  for (size_t k = index + 1; k < end; ++k) text(db_.record(siblings[k]), m, out);
}

void ShapeBuilder::dimension(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const size_t block = cache_.find_block(db_, rec.text(2));
  if (block != Database::npos) {
    // Dimension blocks hold their graphics in world coordinates, inserted without a transform.
    if (const std::vector<Path>* paths = block_paths(block)) {
      for (const Path& path : *paths) emit(out, path, m);
    }
    return;
  }
  if (!linear_dimension(rec)) return;
  const Vec3 origin1 = rec.point(13);
  const Vec3 origin2 = rec.point(14);
  const Vec3 on_line = rec.point(10);
  const Vec3 direction =
      dimension_type(rec) == kRotatedDimension
          ? ocs_to_world_disp({std::cos(rec.real(50)), std::sin(rec.real(50)), 0},
                              extrusion_of(rec))
          : normalized(origin2 - origin1);
  if (direction == Vec3{}) return;
  auto foot = [&](Vec3 p) { return on_line + direction * dot(p - on_line, direction); };
  for (const auto& [a, b] : {std::pair{origin1, foot(origin1)}, std::pair{origin2, foot(origin2)},
                             std::pair{foot(origin1), foot(origin2)}}) {
    Path path;
    path.points = {a, b};
    emit(out, std::move(path), m);
  }
}

void ShapeBuilder::text(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const std::optional<TextPlacement> place = place_text(rec);
  if (!place) return;
  const size_t chars = text_length(place->text);
  if (chars == 0) return;
  const double width = place->fit_length > 0 ? place->fit_length
                                             : kCharWidth * place->height *
                                                   static_cast<double>(chars) * place->width_factor;
  Path path = box_path(-width * place->alignment / 2, place->baseline, width, place->height);
  const Vec3 anchor = place->anchor;
  const double c = std::cos(place->rotation);
  const double s = std::sin(place->rotation);
  for (Vec3& p : path.points) {
    if (place->backwards) p.x = -p.x;
    if (place->upside_down) p.y = -p.y;
    p = {anchor.x + p.x * c - p.y * s, anchor.y + p.x * s + p.y * c, anchor.z};
  }
  emit(out, std::move(path), m.after(ocs_map(extrusion_of(rec))));
}

void ShapeBuilder::mtext(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const std::optional<MtextPlacement> place = place_mtext(rec);
  if (!place) return;
  const MtextSize size = measure_mtext(place->contents);
  if (size.longest == 0) return;
  const double width = rec.real(41) > 0
                           ? rec.real(41)
                           : kCharWidth * place->height * static_cast<double>(size.longest);
  const double total = place->total_height(size.lines);
  Path path = box_path(-width * place->column / 2, total * place->row / 2 - total, width, total);
  for (Vec3& p : path.points) p = place->insertion + place->x_dir * p.x + place->y_dir * p.y;
  emit(out, std::move(path), m);
}

void ShapeBuilder::points_of(const Record& rec, int code, bool closed, const Affine& m,
                             std::vector<Path>& out) {
  Path path;
  path.closed = closed;
  for (const Group& g : rec.groups) {
    if (g.code == 1001) break;
    if (g.code == code) path.points.push_back(g.pt());
  }
  if (!path.points.empty()) emit(out, std::move(path), m);
}

std::vector<Path> entity_paths_at(const Database& db, const std::vector<RecordId>& siblings,
                                  size_t index, ShapeCache& cache) {
  std::vector<Path> out;
  ShapeBuilder(db, cache).entity(siblings, index, Affine{}, out);
  return out;
}

std::vector<Path> entity_paths(const Database& db, RecordId id) {
  if (!db.valid(id)) return {};
  ShapeCache cache;
  const std::vector<RecordId>* siblings = nullptr;
  if (db.area(id) == Area::kEntities) siblings = &db.entities();
  if (db.area(id) == Area::kBlock) siblings = &db.blocks()[db.area_index(id)].entities;
  if (siblings) {
    // Lists grow by appending new records, so their ids ascend.
    auto it = std::lower_bound(siblings->begin(), siblings->end(), id);
    if (it == siblings->end() || *it != id) it = std::find(siblings->begin(), siblings->end(), id);
    if (it != siblings->end())
      return entity_paths_at(db, *siblings, static_cast<size_t>(it - siblings->begin()), cache);
  }
  const std::vector<RecordId> alone{id};
  return entity_paths_at(db, alone, 0, cache);
}

Box2 entity_box(const Database& db, RecordId id) { return paths_box(entity_paths(db, id)); }

namespace {

bool finite(Vec2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The box of the LWPOLYLINE's outline as path_box finds it, arcs with their real extent.
std::optional<Box2> lwpolyline_box(const Record& rec) {
  if (rec.has(210) && rec.point(210) != Vec3{0, 0, 1}) return std::nullopt;
  Box2 box;
  Vec2 first, previous;
  double bulge = 0;
  bool any = false;
  auto segment = [&](Vec2 a, Vec2 b) {
    if (const auto arc = bulge_arc(a, b, bulge)) box.extend(arc_box(*arc));
  };
  for (const Group& g : rec.groups) {
    if (g.code == 1001) break;
    if (g.code == 10) {
      const Vec2 p{g.x(), g.y()};
      if (!finite(p)) return std::nullopt;
      box.extend(p);
      if (any) segment(previous, p);
      if (!any) first = p;
      previous = p;
      bulge = 0;
      any = true;
    } else if (g.code == 42 && any) {
      bulge = g.x();
      if (!std::isfinite(bulge)) return std::nullopt;
    }
  }
  if (any && (rec.integer(70) & kPolylineClosed) != 0) segment(previous, first);
  return box;
}

}  // namespace

std::optional<Box2> entity_quick_box(const Record& rec) {
  switch (entity_kind(rec.type)) {
    case EntityKind::kLine: {
      const Vec2 a = xy(rec.point(10));
      const Vec2 b = xy(rec.point(11));
      if (!finite(a) || !finite(b)) return std::nullopt;
      return Box2(a, b);
    }
    case EntityKind::kLwpolyline:
      return lwpolyline_box(rec);
    default:
      return std::nullopt;
  }
}

}  // namespace cad

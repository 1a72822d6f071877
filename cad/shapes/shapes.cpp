// Entity geometry: each entity type's groups read into paths in its own coordinates (object
// coordinates, a block's coordinates), then carried to the world by one affine map.
#include "cad/shapes/shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "cad/base/text.h"
#include "cad/db/record.h"
#include "cad/geom/coords.h"
#include "cad/shapes/affine.h"

namespace cad {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMaxNesting = 16;
// Text boxes: width of a character as a fraction of the height, and the pitch of MTEXT lines.
constexpr double kCharWidth = 0.6;
constexpr double kMtextLinePitch = 5.0 / 3.0;
constexpr int kEllipseSegments = 64;  // per full turn
// An MINSERT array larger than this draws only its first copies.
constexpr int64_t kMaxArrayCopies = 10000;

bool has_bulges(const Path& path) {
  return std::any_of(path.bulges.begin(), path.bulges.end(), [](double b) { return b != 0; });
}

void emit(std::vector<Path>& out, Path path, const Affine& m) {
  if (!has_bulges(path)) {
    path.bulges.clear();
  } else if (const int orientation = arc_orientation(m); orientation == 0) {
    path = tessellated(path);
  } else if (orientation < 0) {
    for (double& b : path.bulges) b = -b;
  }
  for (Vec3& p : path.points) p = m.apply(p);
  out.push_back(std::move(path));
}

// An arc counter-clockwise (or clockwise, for a negative sweep) from start over sweep radians,
// as bulge segments of at most a quarter turn; the end point carries bulge 0.
void append_arc(Path& path, Vec2 center, double radius, double start, double sweep, double z) {
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
  const double step = sweep / pieces;
  for (int i = 0; i <= pieces; ++i) {
    const double angle = start + step * i;
    path.points.push_back(
        {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle), z});
    path.bulges.push_back(i < pieces ? std::tan(step / 4) : 0);
  }
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

bool is_owned_entity_type(std::string_view type) {
  return iequals(type, "VERTEX") || iequals(type, "SEQEND") || iequals(type, "ATTRIB");
}

// Reads entities into paths; one builder serves one call or one scan, through its cache.
class ShapeBuilder {
 public:
  ShapeBuilder(const Database& db, ShapeCache& cache) : db_(db), cache_(cache) {}

  void entity(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
              std::vector<Path>& out);

 private:
  const std::vector<Path>* block_paths(size_t block);
  size_t find_block(std::string_view name);

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
  void hatch(const Record& rec, const Affine& m, std::vector<Path>& out);
  void points_of(const Record& rec, int code, bool closed, const Affine& m, std::vector<Path>& out);

  const Database& db_;
  ShapeCache& cache_;
  int depth_ = 0;
};

void ShapeBuilder::entity(const std::vector<RecordId>& siblings, size_t index, const Affine& m,
                          std::vector<Path>& out) {
  const Record& rec = db_.record(siblings[index]);
  const std::string_view type = rec.type;
  if (iequals(type, "LINE")) {
    line(rec, m, out);
  } else if (iequals(type, "POINT")) {
    Path path;
    path.points = {rec.point(10), rec.point(10)};
    emit(out, std::move(path), m);
  } else if (iequals(type, "CIRCLE")) {
    circle(rec, m, out);
  } else if (iequals(type, "ARC")) {
    arc(rec, m, out);
  } else if (iequals(type, "ELLIPSE")) {
    ellipse(rec, m, out);
  } else if (iequals(type, "LWPOLYLINE")) {
    lwpolyline(rec, m, out);
  } else if (iequals(type, "POLYLINE")) {
    polyline(siblings, index, m, out);
  } else if (iequals(type, "SOLID") || iequals(type, "TRACE")) {
    quad(rec, true, m, out);
  } else if (iequals(type, "3DFACE")) {
    quad(rec, false, m, out);
  } else if (iequals(type, "MLINE")) {
    mline(rec, m, out);
  } else if (iequals(type, "INSERT")) {
    insert(siblings, index, m, out);
  } else if (iequals(type, "DIMENSION") || iequals(type, "ARC_DIMENSION")) {
    dimension(rec, m, out);
  } else if (iequals(type, "TEXT") || iequals(type, "ATTRIB") || iequals(type, "ATTDEF")) {
    text(rec, m, out);
  } else if (iequals(type, "MTEXT")) {
    mtext(rec, m, out);
  } else if (iequals(type, "HATCH")) {
    hatch(rec, m, out);
  } else if (iequals(type, "SPLINE")) {
    points_of(rec, rec.has(11) ? 11 : 10, (rec.integer(70) & 1) != 0, m, out);
  } else if (iequals(type, "LEADER")) {
    points_of(rec, 10, false, m, out);
  }
}

size_t ShapeBuilder::find_block(std::string_view name) {
  if (cache_.block_names_.empty()) {
    for (size_t k = 0; k < db_.blocks().size(); ++k) {
      const RecordId begin = db_.blocks()[k].begin;
      if (db_.valid(begin) && !db_.erased(begin))
        cache_.block_names_.emplace(to_upper(db_.record(begin).text(2)), k);
    }
  }
  const auto it = cache_.block_names_.find(to_upper(name));
  return it == cache_.block_names_.end() ? Database::npos : it->second;
}

const std::vector<Path>* ShapeBuilder::block_paths(size_t block) {
  const auto found = cache_.blocks_.find(block);
  if (found != cache_.blocks_.end()) return &found->second;
  if (cache_.drawing_.count(block) != 0 || depth_ >= kMaxNesting) return nullptr;
  cache_.drawing_.insert(block);
  ++depth_;
  std::vector<Path> paths;
  const std::vector<RecordId>& entities = db_.blocks()[block].entities;
  for (size_t k = 0; k < entities.size(); ++k) {
    const RecordId id = entities[k];
    if (!db_.valid(id) || db_.erased(id)) continue;
    const std::string_view type = db_.record(id).type;
    // Attribute definitions show only as the ATTRIBs of each INSERT.
    if (is_owned_entity_type(type) || iequals(type, "ATTDEF")) continue;
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
  const int steps = std::max(4, static_cast<int>(std::ceil(kEllipseSegments * sweep / (2 * kPi))));
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
  path.closed = (rec.integer(70) & 1) != 0;
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
  if (flags & 64) {
    // Polyface mesh: positions first, then faces naming up to four positions (negative: the edge
    // from there is hidden; drawn anyway, as a pick target).
    std::vector<Vec3> positions;
    for (const Record* v : vertices) {
      const int64_t vflags = v->integer(70);
      if (vflags & 64) {
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
  if (flags & 16) {
    // Polygon mesh: M rows of N vertices, each row and each column a line.
    const int64_t rows = rec.integer(71);
    const int64_t columns = rec.integer(72);
    if (rows <= 0 || columns <= 0 || static_cast<size_t>(rows * columns) != vertices.size()) return;
    for (int64_t r = 0; r < rows; ++r) {
      Path path;
      path.closed = (flags & 32) != 0;
      for (int64_t c = 0; c < columns; ++c)
        path.points.push_back(vertices[static_cast<size_t>(r * columns + c)]->point(10));
      emit(out, std::move(path), m);
    }
    for (int64_t c = 0; c < columns; ++c) {
      Path path;
      path.closed = (flags & 1) != 0;
      for (int64_t r = 0; r < rows; ++r)
        path.points.push_back(vertices[static_cast<size_t>(r * columns + c)]->point(10));
      emit(out, std::move(path), m);
    }
    return;
  }
  const bool three_d = (flags & 8) != 0;
  const double elevation = rec.point(10).z;
  Path path;
  path.closed = (flags & 1) != 0;
  for (const Record* v : vertices) {
    // Frame points of a spline-fit polyline are not on the drawn curve.
    if (v->integer(70) & 16) continue;
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
  const bool closed = (rec.integer(71) & 2) != 0;
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
  const size_t block = find_block(rec.text(2));
  const std::vector<Path>* paths = block == Database::npos ? nullptr : block_paths(block);
  if (paths && !paths->empty()) {
    const Vec3 base = db_.record(db_.blocks()[block].begin).point(10);
    const double rotation = rec.real(50);
    const Vec3 ux{std::cos(rotation), std::sin(rotation), 0};
    const Vec3 uy{-std::sin(rotation), std::cos(rotation), 0};
    Affine local{ux * rec.real(41, 1), uy * rec.real(42, 1), {0, 0, rec.real(43, 1)}, {}};
    const Affine to_world = m.after(ocs_map(extrusion_of(rec)));
    const int64_t columns = std::clamp<int64_t>(rec.integer(70, 1), 1, kMaxArrayCopies);
    const int64_t rows = std::clamp<int64_t>(rec.integer(71, 1), 1, kMaxArrayCopies / columns);
    const Vec3 insertion = rec.point(10);
    for (int64_t r = 0; r < rows; ++r) {
      for (int64_t c = 0; c < columns; ++c) {
        local.origin = insertion + ux * (rec.real(44) * static_cast<double>(c)) +
                       uy * (rec.real(45) * static_cast<double>(r)) - local.linear(base);
        const Affine full = to_world.after(local);
        for (const Path& path : *paths) emit(out, path, full);
      }
    }
  }
  for (size_t k = index + 1; k < siblings.size(); ++k) {
    const Record& attrib = db_.record(siblings[k]);
    if (!iequals(attrib.type, "ATTRIB")) break;
    text(attrib, m, out);
  }
}

void ShapeBuilder::dimension(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const size_t block = find_block(rec.text(2));
  if (block != Database::npos) {
    // Dimension blocks hold their graphics in world coordinates, inserted without a transform.
    if (const std::vector<Path>* paths = block_paths(block)) {
      for (const Path& path : *paths) emit(out, path, m);
    }
    return;
  }
  const int64_t type = rec.integer(70) & 7;
  if (type != 0 && type != 1) return;
  const Vec3 origin1 = rec.point(13);
  const Vec3 origin2 = rec.point(14);
  const Vec3 on_line = rec.point(10);
  const Vec3 direction =
      type == 0 ? ocs_to_world_disp({std::cos(rec.real(50)), std::sin(rec.real(50)), 0},
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
  const bool attdef = iequals(rec.type, "ATTDEF");
  const bool attribute = attdef || iequals(rec.type, "ATTRIB");
  if (attribute && (rec.integer(70) & 1)) return;  // invisible
  const double height = rec.real(40);
  const size_t chars = text_length(rec.text(attdef ? 2 : 1));
  if (height <= 0 || chars == 0) return;
  double width_factor = rec.real(41, 1);
  if (width_factor <= 0) width_factor = 1;
  double width = kCharWidth * height * static_cast<double>(chars) * width_factor;
  const int64_t horizontal = rec.integer(72);
  const int64_t vertical = rec.integer(attribute ? 74 : 73);
  const Vec3 first = rec.point(10);
  const bool aligned = rec.has(11) && (horizontal != 0 || vertical != 0);
  Vec3 anchor = aligned ? rec.point(11) : first;
  double rotation = rec.real(50);
  double x0 = 0;
  double y0 = 0;
  if (aligned && (horizontal == 3 || horizontal == 5)) {
    // Aligned and fit text run from the first point to the second.
    const Vec2 run = xy(rec.point(11)) - xy(first);
    if (length(run) > 0) {
      width = length(run);
      rotation = std::atan2(run.y, run.x);
    }
    anchor = first;
  } else {
    if (horizontal == 1 || horizontal == 4) x0 = -width / 2;
    if (horizontal == 2) x0 = -width;
    if (horizontal == 4 || vertical == 2) y0 = -height / 2;
    if (vertical == 3) y0 = -height;
  }
  Path path = box_path(x0, y0, width, height);
  const int64_t generation = rec.integer(71);
  const double c = std::cos(rotation);
  const double s = std::sin(rotation);
  for (Vec3& p : path.points) {
    if (generation & 2) p.x = -p.x;  // backwards
    if (generation & 4) p.y = -p.y;  // upside down
    p = {anchor.x + p.x * c - p.y * s, anchor.y + p.x * s + p.y * c, anchor.z};
  }
  emit(out, std::move(path), m.after(ocs_map(extrusion_of(rec))));
}

void ShapeBuilder::mtext(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const double height = rec.real(40);
  if (height <= 0) return;
  std::string contents;
  for (const Group& g : rec.groups) {
    if (g.code == 1001) break;
    if (g.code == 3 || g.code == 1) contents += g.s();
  }
  const MtextSize size = measure_mtext(contents);
  if (size.longest == 0) return;
  const double width =
      rec.real(41) > 0 ? rec.real(41) : kCharWidth * height * static_cast<double>(size.longest);
  const double total =
      height + static_cast<double>(size.lines - 1) * height * kMtextLinePitch * rec.real(44, 1);
  const int64_t attachment = std::clamp<int64_t>(rec.integer(71, 1), 1, 9);
  const int64_t column = (attachment - 1) % 3;  // left, center, right
  const int64_t row = (attachment - 1) / 3;     // top, middle, bottom
  const double x0 = -width * static_cast<double>(column) / 2;
  const double top = total * static_cast<double>(row) / 2;
  const Vec3 extrusion = normalized(extrusion_of(rec));
  Vec3 x_dir = rec.has(11) ? normalized(rec.point(11))
                           : ocs_to_world_disp({std::cos(rec.real(50)), std::sin(rec.real(50)), 0},
                                               extrusion);
  if (x_dir == Vec3{}) x_dir = ocs_axes(extrusion).x;
  const Vec3 y_dir = normalized(cross(extrusion, x_dir));
  const Vec3 insertion = rec.point(10);
  Path path = box_path(x0, top - total, width, total);
  for (Vec3& p : path.points) p = insertion + x_dir * p.x + y_dir * p.y;
  emit(out, std::move(path), m);
}

void ShapeBuilder::hatch(const Record& rec, const Affine& m, std::vector<Path>& out) {
  const std::vector<Group>& g = rec.groups;
  const size_t end = rec.xdata_begin();
  size_t k = rec.index_of(91);
  if (k >= end) return;
  const double elevation = rec.point(10).z;  // the first 10 is the elevation point
  const int64_t count = g[k++].i();
  const Affine to_world = m.after(ocs_map(extrusion_of(rec)));
  auto at = [&](int code) { return k < end && g[k].code == code; };
  auto take = [&](int code, auto fallback) {
    if (!at(code)) return fallback;
    const Group& item = g[k++];
    if constexpr (std::is_same_v<decltype(fallback), double>) {
      return item.x();
    } else if constexpr (std::is_same_v<decltype(fallback), Vec2>) {
      return Vec2{item.x(), item.y()};
    } else {
      return item.i();
    }
  };
  for (int64_t n = 0; n < count && at(92); ++n) {
    const int64_t flags = g[k++].i();
    Path path;
    path.closed = true;
    // Joins edge after edge: an edge starting where the last one ended continues the path.
    auto add = [&](Vec2 p, double bulge) {
      if (!path.points.empty() && distance(xy(path.points.back()), p) < 1e-9 * (1 + length(p))) {
        path.bulges.back() = bulge;
        return;
      }
      path.points.push_back(with_z(p, elevation));
      path.bulges.push_back(bulge);
    };
    if (flags & 2) {
      // The has-bulge and closed flags add nothing: bulges are read where present and every
      // boundary is a loop.
      take(72, int64_t{0});
      take(73, int64_t{0});
      const int64_t vertices = take(93, int64_t{0});
      for (int64_t v = 0; v < vertices && at(10); ++v) {
        const Vec2 p = take(10, Vec2{});
        add(p, 0);
        path.bulges.back() = take(42, 0.0);
      }
    } else {
      const int64_t edges = take(93, int64_t{0});
      for (int64_t e = 0; e < edges && at(72); ++e) {
        const int64_t edge = take(72, int64_t{0});
        if (edge == 1) {
          add(take(10, Vec2{}), 0);
          add(take(11, Vec2{}), 0);
        } else if (edge == 2 || edge == 3) {
          const Vec2 center = take(10, Vec2{});
          const Vec2 major = edge == 3 ? take(11, Vec2{}) : Vec2{};
          const double size = take(40, 0.0);  // radius, or the ratio of an ellipse
          double start = take(50, 0.0);
          double stop = take(51, 0.0);
          const bool ccw = take(73, int64_t{1}) != 0;
          // Clockwise edges keep their angles mirrored.
          if (!ccw) {
            start = -start;
            stop = -stop;
          }
          double sweep = normalize_angle(ccw ? stop - start : start - stop);
          if (sweep == 0) sweep = 2 * kPi;
          if (!ccw) sweep = -sweep;
          if (edge == 2) {
            Path piece;
            append_arc(piece, center, size, start, sweep, elevation);
            for (size_t i = 0; i < piece.points.size(); ++i)
              add(xy(piece.points[i]), piece.bulges[i]);
          } else {
            const int steps = std::max(
                4, static_cast<int>(std::ceil(kEllipseSegments * std::abs(sweep) / (2 * kPi))));
            for (int i = 0; i <= steps; ++i)
              add(ellipse_point(center, major, size, start + sweep * i / steps), 0);
          }
        } else if (edge == 4) {
          // Spline edge: drawn through its control points.
          for (int code : {94, 73, 74, 95, 96}) take(code, int64_t{0});
          while (at(40)) ++k;
          while (at(10) || at(42)) {
            if (at(10))
              add(take(10, Vec2{}), 0);
            else
              ++k;
          }
          // Fit data (newer files) starts with its own 97 count, like the source objects that
          // end the path; it is fit data when fit points or the next edge follow.
          if (at(97) && k + 1 < end) {
            const int next = g[k + 1].code;
            if ((g[k].i() > 0 && next == 11) ||
                (g[k].i() == 0 && (next == 97 || next == 72 || next == 12))) {
              ++k;
              while (at(11) || at(12) || at(13)) ++k;
            }
          }
        } else {
          break;
        }
      }
    }
    if (path.points.size() > 1 && distance(path.points.front(), path.points.back()) < 1e-9) {
      path.points.pop_back();
      path.bulges.pop_back();
    }
    if (!path.points.empty()) emit(out, std::move(path), to_world);
    const int64_t sources = take(97, int64_t{0});
    for (int64_t s = 0; s < sources && at(330); ++s) ++k;
  }
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

Box2 path_box(const Path& path) {
  Box2 box;
  for_each_segment(path, [&](Vec2 a, Vec2 b, double bulge) {
    box.extend(a);
    box.extend(b);
    if (const auto arc = bulge_arc(a, b, bulge)) box.extend(arc_box(*arc));
  });
  return box;
}

Box2 paths_box(const std::vector<Path>& paths) {
  Box2 box;
  for (const Path& path : paths) box.extend(path_box(path));
  return box;
}

Box2 entity_box(const Database& db, RecordId id) { return paths_box(entity_paths(db, id)); }

double path_distance(const Path& path, Vec2 p) {
  double best = std::numeric_limits<double>::infinity();
  for_each_segment(path, [&](Vec2 a, Vec2 b, double bulge) {
    const auto arc = bulge_arc(a, b, bulge);
    best = std::min(best, arc ? point_arc_distance(p, *arc) : point_segment_distance(p, a, b));
  });
  return best;
}

bool path_crosses_segment(const Path& path, Vec2 a, Vec2 b) {
  bool crosses = false;
  for_each_segment(path, [&](Vec2 p, Vec2 q, double bulge) {
    if (crosses) return;
    const auto arc = bulge_arc(p, q, bulge);
    crosses = arc ? segment_crosses_arc(a, b, *arc) : segment_crosses_segment(a, b, p, q);
  });
  return crosses;
}

bool path_meets_box(const Path& path, const Box2& box) {
  bool meets = false;
  for_each_segment(path, [&](Vec2 p, Vec2 q, double bulge) {
    if (meets) return;
    const auto arc = bulge_arc(p, q, bulge);
    meets = arc ? arc_meets_box(*arc, box) : segment_meets_box(p, q, box);
  });
  return meets;
}

bool path_encloses(const Path& path, Vec2 p) {
  if (!path.closed || path.points.size() < 3) return false;
  bool inside = false;
  for_each_segment(path, [&](Vec2 a, Vec2 b, double) {
    if ((a.y > p.y) != (b.y > p.y)) {
      const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (x > p.x) inside = !inside;
    }
  });
  return inside;
}

}  // namespace cad

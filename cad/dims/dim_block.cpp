#include "cad/dims/dim_block.h"

#include <cmath>
#include <string>

#include "cad/dims/dim_text.h"
#include "cad/dims/drawing_records.h"
#include "cad/geom/coords.h"

namespace cad {

namespace {

constexpr int kColorByLayer = 256;
// Below this a direction or a distance counts as none.
constexpr double kTiny = 1e-12;

// MTEXT attachment points.
constexpr int kTopCenter = 2;
constexpr int kMiddleCenter = 5;
constexpr int kBottomCenter = 8;

// Draws into one block in the dimension's plane: 2D object coordinates in, records out.
class Painter {
 public:
  Painter(Database& db, size_t block, std::string layer, Vec3 extrusion, double elevation)
      : db_(db),
        block_(block),
        layer_(std::move(layer)),
        extrusion_(extrusion),
        elevation_(elevation),
        tilted_(normalized(extrusion) != Vec3{0, 0, 1}),
        axes_(ocs_axes(extrusion)) {}

  // As ocs_to_world, with the plane's axes found once for every point of the block.
  Vec3 world(Vec2 p) const {
    const Vec3 q = with_z(p, elevation_);
    return axes_.x * q.x + axes_.y * q.y + axes_.z * q.z;
  }

  void line(Vec2 from, Vec2 to, int64_t color) {
    Record rec = entity("LINE", color, 2);
    rec.groups.push_back(Group::point(10, world(from)));
    rec.groups.push_back(Group::point(11, world(to)));
    db_.add_block_entity(block_, std::move(rec));
  }

  // A closed filled arrow with its tip at tip, pointing along direction.
  void arrow(Vec2 tip, Vec2 direction, double size, int64_t color) {
    const Vec2 base = tip - direction * size;
    const Vec2 half = perp(direction) * (size / 6);
    Record rec = entity("SOLID", color, 5);
    rec.groups.push_back(Group::point(10, with_z(base + half, elevation_)));
    rec.groups.push_back(Group::point(11, with_z(base - half, elevation_)));
    rec.groups.push_back(Group::point(12, with_z(tip, elevation_)));
    rec.groups.push_back(Group::point(13, with_z(tip, elevation_)));
    if (tilted_) rec.groups.push_back(Group::point(210, extrusion_));
    db_.add_block_entity(block_, std::move(rec));
  }

  void text(Vec2 at, Vec2 direction, int attachment, double height, const std::string& style,
            const std::string& content, int64_t color) {
    Record rec = entity("MTEXT", color, 11);
    rec.groups.push_back(Group::point(10, world(at)));
    rec.groups.push_back(Group::real(40, height));
    rec.groups.push_back(Group::real(41, 0));
    rec.groups.push_back(Group::integer(71, attachment));
    rec.groups.push_back(Group::integer(72, 1));
    rec.groups.push_back(Group::text(1, content));
    rec.groups.push_back(Group::text(7, style));
    if (tilted_) rec.groups.push_back(Group::point(210, extrusion_));
    rec.groups.push_back(Group::point(11, ocs_to_world_disp(with_z(direction), extrusion_)));
    rec.groups.push_back(Group::integer(73, 1));
    rec.groups.push_back(Group::real(44, 1.0));
    db_.add_block_entity(block_, std::move(rec));
  }

  void definition_point(Vec3 p, const std::string& layer) {
    Record rec = entity_record("POINT", layer, 1);
    rec.groups.push_back(Group::point(10, p));
    db_.add_block_entity(block_, std::move(rec));
  }

 private:
  // A record with room for its colour and `groups` more groups: the drawing keeps it as made, so
  // it is allocated once.
  Record entity(const char* type, int64_t color, size_t groups) const {
    Record rec = entity_record(type, layer_, 1 + groups);
    if (color != kColorByLayer) rec.groups.push_back(Group::integer(62, color));
    return rec;
  }

  Database& db_;
  size_t block_;
  std::string layer_;
  Vec3 extrusion_;
  double elevation_;
  bool tilted_;
  Axes axes_;
};

// The direction text runs in along a line of this direction, turned so that it reads from the
// left or, on a vertical line, from below.
Vec2 reading_direction(Vec2 d) {
  if (d.x < -kTiny || (std::abs(d.x) <= kTiny && d.y < 0)) return -d;
  return d;
}

}  // namespace

double linear_measurement(Vec3 origin1, Vec3 origin2, double rotation, Vec3 extrusion) {
  const Vec3 along = world_to_ocs_disp(origin2 - origin1, extrusion);
  return std::abs(along.x * std::cos(rotation) + along.y * std::sin(rotation));
}

size_t build_dimension_block(Database& db, Record& dim, const DimStyleValues& values) {
  Vec3 extrusion = dim.point(210, {0, 0, 1});
  if (length(extrusion) < kTiny) extrusion = {0, 0, 1};
  const Vec3 line_ocs = world_to_ocs(dim.point(10), extrusion);
  const Vec2 p1 = xy(world_to_ocs(dim.point(13), extrusion));
  const Vec2 p2 = xy(world_to_ocs(dim.point(14), extrusion));
  const Vec2 q = xy(line_ocs);
  const double rotation = dim.real(50);
  const Vec2 d{std::cos(rotation), std::sin(rotation)};

  const Vec2 a1 = q + d * dot(p1 - q, d);
  const Vec2 a2 = q + d * dot(p2 - q, d);
  const double measurement = linear_measurement(dim.point(13), dim.point(14), rotation, extrusion);
  // The line runs from the first extension line to the second; arrows point outwards along it.
  const Vec2 u = measurement > kTiny ? normalized(a2 - a1) : d;

  double scale = values.real("DIMSCALE");
  if (scale <= 0) scale = 1;
  const std::string layer(dim.text(8, "0"));
  const std::string defpoints(db.record(ensure_layer(db, "Defpoints")).text(2));
  const std::string name = next_anonymous_name(db, "*D");
  const size_t block = add_block_with_record(db, name, 1);
  Painter paint(db, block, layer, extrusion, line_ocs.z);

  const int64_t ext_color = values.integer("DIMCLRE");
  const double exo = values.real("DIMEXO") * scale;
  const double exe = values.real("DIMEXE") * scale;
  const Vec2 origins[2] = {p1, p2};
  const Vec2 feet[2] = {a1, a2};
  const char* suppress[2] = {"DIMSE1", "DIMSE2"};
  for (int k = 0; k < 2; ++k) {
    const Vec2 along = feet[k] - origins[k];
    if (values.integer(suppress[k]) != 0 || length(along) < kTiny) continue;
    const Vec2 e = normalized(along);
    paint.line(origins[k] + e * exo, feet[k] + e * exe, ext_color);
  }

  const int64_t line_color = values.integer("DIMCLRD");
  const double tick = values.real("DIMTSZ") * scale;
  if (tick > 0) {
    const double overshoot = values.real("DIMDLE") * scale;
    paint.line(a1 - u * overshoot, a2 + u * overshoot, line_color);
    const Vec2 stroke = (u + perp(u)) * (tick / 2);
    for (Vec2 foot : feet) paint.line(foot - stroke, foot + stroke, line_color);
  } else {
    paint.line(a1, a2, line_color);
    const double size = values.real("DIMASZ") * scale;
    if (size > 0) {
      paint.arrow(a1, -u, size, line_color);
      paint.arrow(a2, u, size, line_color);
    }
  }

  const Vec2 t = reading_direction(u);
  const Vec2 above = perp(t);
  const Vec2 middle = (a1 + a2) / 2;
  const double height = values.real("DIMTXT") * scale;
  const double gap = std::abs(values.real("DIMGAP")) * scale;
  const int64_t tad = values.integer("DIMTAD");
  Vec2 anchor = middle;
  Vec2 text_middle = middle;
  int attachment = kMiddleCenter;
  if (tad == 4) {
    anchor = middle - above * gap;
    text_middle = middle - above * (gap + height / 2);
    attachment = kTopCenter;
  } else if (tad != 0) {
    anchor = middle + above * gap;
    text_middle = middle + above * (gap + height / 2);
    attachment = kBottomCenter;
  }
  const std::string content = dimension_text(dim.text(1), measurement, values);
  if (!content.empty())
    paint.text(anchor, t, attachment, height, values.text("DIMTXSTY"), content,
               values.integer("DIMCLRT"));

  dim.set(Group::point(10, paint.world(a2)));
  dim.set(Group::point(11, with_z(text_middle, line_ocs.z)));
  dim.set(Group::real(42, measurement));
  dim.set(Group::text(2, name));
  for (Vec3 p : {dim.point(13), dim.point(14), dim.point(10)}) paint.definition_point(p, defpoints);
  return block;
}

}  // namespace cad

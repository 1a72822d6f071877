#include "cad/builtins/entity_transform.h"

#include <cmath>
#include <numbers>
#include <string>
#include <utility>

#include "cad/geom/arcs.h"
#include "cad/geom/coords.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr double kPi = std::numbers::pi;

bool is_text(std::string_view t) { return t == "TEXT" || t == "ATTRIB" || t == "ATTDEF"; }

// What a group of a record holds; a VERTEX's point lies in the world or in its polyline's plane as
// the polyline's flags say.
GroupRole role_of(std::string_view t, int code, const Record* owner) {
  const GroupRole role = group_role(t, code);
  if (role != GroupRole::kVertexPoint) return role;
  const bool world = owner && (owner->integer(70) & kPolylineWorldVertices) != 0;
  return world ? GroupRole::kWorldPoint : GroupRole::kOcsPoint;
}

// Carries points, vectors and angles of one record, whose plane is that of extrusion.
class Carrier {
 public:
  Carrier(const Similarity& m, Vec3 extrusion) : m_(m), before_(extrusion), after_(extrusion) {
    if (m.translation) return;
    after_ = normalized(m.map.linear(normalized(extrusion)));
    // Turning about the world's Z axis leaves a plane of the world as it is, without rounding.
    if (std::abs(after_.x) < 1e-12 && std::abs(after_.y) < 1e-12)
      after_ = {0, 0, after_.z > 0 ? 1.0 : -1.0};
  }

  Vec3 extrusion() const { return after_; }

  Vec3 world_point(Vec3 p) const { return m_.translation ? p + m_.map.origin : m_.map.apply(p); }
  Vec3 world_vector(Vec3 v) const { return m_.translation ? v : m_.map.linear(v); }
  Vec3 direction(Vec3 v) const { return m_.translation ? v : normalized(m_.map.linear(v)); }
  Vec3 ocs_point(Vec3 p) const {
    if (m_.translation) return p + world_to_ocs_disp(m_.map.origin, before_);
    return world_to_ocs(m_.map.apply(ocs_to_world(p, before_)), after_);
  }
  // The angle in the new plane of the direction the old angle gave in the old one.
  double angle(double a) const {
    if (m_.translation) return a;
    const Vec3 d = m_.map.linear(ocs_to_world_disp({std::cos(a), std::sin(a), 0}, before_));
    const Vec3 o = world_to_ocs_disp(d, after_);
    return normalize_angle(std::atan2(o.y, o.x));
  }
  // The world direction of an angle in the old plane, and in the new one.
  Vec3 old_direction(double a) const {
    return ocs_to_world_disp({std::cos(a), std::sin(a), 0}, before_);
  }
  Vec3 new_direction(double a) const {
    return ocs_to_world_disp({std::cos(a), std::sin(a), 0}, after_);
  }

 private:
  const Similarity& m_;
  Vec3 before_;
  Vec3 after_;
};

// Of a mirrored text's two readings (along the mirrored base line, or turned half round), the
// one that keeps reading the way it did.
double readable(const Carrier& c, double before, double after) {
  const double turned = normalize_angle(after + kPi);
  return dot(c.new_direction(after), c.old_direction(before)) >= 0 ? after : turned;
}

void carry_groups(Record& out, const Record& rec, const Carrier& c, const Similarity& m,
                  const Record* owner) {
  const size_t end = out.xdata_begin();
  // A move takes along the points of types this file does not know, as points of their plane.
  const bool unknown = m.translation && !transformable(rec.type);
  for (size_t k = 0; k < end; ++k) {
    Group& g = out.groups[k];
    GroupRole role = role_of(rec.type, g.code, owner);
    if (unknown && g.code >= 10 && g.code <= 18) role = GroupRole::kOcsPoint;
    switch (role) {
      case GroupRole::kWorldPoint:
        g.set_pt(c.world_point(g.pt()));
        break;
      case GroupRole::kOcsPoint: {
        if (rec.type == "LWPOLYLINE") {
          // Vertices are 2D, at the elevation (38) of the whole polyline.
          const Vec3 p = c.ocs_point({g.x(), g.y(), rec.real(38)});
          g.set_pt({p.x, p.y, 0});
          break;
        }
        g.set_pt(c.ocs_point(g.pt()));
        break;
      }
      case GroupRole::kWorldVector:
        g.set_pt(c.world_vector(g.pt()));
        break;
      case GroupRole::kDirection:
        g.set_pt(c.direction(g.pt()));
        break;
      case GroupRole::kLength:
        g.set_x(g.x() * m.scale);
        break;
      case GroupRole::kAngle:
        g.set_x(c.angle(g.x()));
        break;
      case GroupRole::kBulge:
        if (m.mirrored) g.set_x(-g.x());
        break;
      case GroupRole::kOther:
      case GroupRole::kVertexPoint:  // role_of has told which it is
        break;
    }
  }
  if (rec.type == "LWPOLYLINE") {
    // The plane goes to a plane across the new extrusion: one elevation for every vertex.
    const double elevation = c.ocs_point({0, 0, rec.real(38)}).z;
    if (elevation != 0 || rec.has(38)) out.set(Group::real(38, elevation));
  }
  // A 2D POLYLINE keeps only its elevation in 10.
  if (rec.type == "POLYLINE" && (rec.integer(70) & kPolylineWorldVertices) == 0) {
    if (const Group* g = rec.find(10)) out.set(Group::point(10, {0, 0, c.ocs_point(g->pt()).z}));
  }
  // A DIMENSION's horizontal direction (51) is the negative of an angle in its plane.
  if (rec.type == "DIMENSION" && !m.translation) {
    if (rec.has(51)) out.set(Group::real(51, normalize_angle(-c.angle(-rec.real(51)))));
    if (rec.real(52) != 0) out.set(Group::real(52, c.angle(rec.real(52))));
  }
}

void carry_xdata(Record& out, const Carrier& c, const Similarity& m) {
  for (size_t k = out.xdata_begin(); k < out.groups.size(); ++k) {
    Group& g = out.groups[k];
    if (g.code == 1011)
      g.set_pt(c.world_point(g.pt()));
    else if (g.code == 1012)
      g.set_pt(c.world_vector(g.pt()));
    else if (g.code == 1013)
      g.set_pt(c.direction(g.pt()));
    else if (g.code == 1041 || g.code == 1042)
      g.set_x(g.x() * m.scale);
  }
}

// What a mirror does besides carrying points: arcs and ellipses run the other way round, text
// reads backwards or is turned to read as before, a block is mirrored in its X axis.
void mirror_orientation(Record& out, const Record& rec, const Carrier& c, bool mirror_text) {
  const std::string& t = rec.type;
  if (t == "ARC") {
    const double start = out.real(50);
    out.set(Group::real(50, out.real(51)));
    out.set(Group::real(51, start));
  } else if (t == "ELLIPSE") {
    const double start = rec.real(41);
    const double end = rec.real(42, 2 * kPi);
    out.set(Group::real(41, normalize_angle(-end)));
    const double new_end = normalize_angle(-start);
    out.set(Group::real(42, new_end == 0 ? 2 * kPi : new_end));
  } else if (is_text(t)) {
    const double mirrored = c.angle(rec.real(50));
    if (mirror_text) {
      out.set(Group::real(50, normalize_angle(mirrored + kPi)));
      out.set(Group::integer(71, rec.integer(71) ^ kTextBackward));
    } else {
      out.set(Group::real(50, readable(c, rec.real(50), mirrored)));
    }
  } else if (t == "INSERT") {
    out.set(Group::real(50, normalize_angle(c.angle(rec.real(50)) + kPi)));
    out.set(Group::real(41, -out.real(41, 1)));
  }
}

}  // namespace

Similarity translation(Vec3 displacement) {
  Similarity m;
  m.map.origin = displacement;
  return m;
}

Similarity rotation(Vec3 base, Vec3 axis, double angle) {
  const Vec3 k = normalized(axis);
  double cos_a = std::cos(angle);
  double sin_a = std::sin(angle);
  // Quarter turns stay exact.
  if (std::abs(cos_a) < 1e-15) cos_a = 0;
  if (std::abs(sin_a) < 1e-15) sin_a = 0;
  auto turned = [&](Vec3 v) {
    return v * cos_a + cross(k, v) * sin_a + k * (dot(k, v) * (1 - cos_a));
  };
  Similarity m;
  m.translation = false;
  m.map.x = turned({1, 0, 0});
  m.map.y = turned({0, 1, 0});
  m.map.z = turned({0, 0, 1});
  m.map.origin = base - m.map.linear(base);
  return m;
}

Similarity scaling(Vec3 base, double factor) {
  Similarity m;
  m.translation = false;
  m.scale = factor;
  m.map.x = {factor, 0, 0};
  m.map.y = {0, factor, 0};
  m.map.z = {0, 0, factor};
  m.map.origin = base - base * factor;
  return m;
}

Similarity mirror(Vec3 a, Vec3 b, Vec3 axis) {
  const Vec3 normal = cross(b - a, axis);
  if (length(normal) == 0) return translation({});
  const Vec3 n = normalized(normal);
  auto reflected = [&](Vec3 v) { return v - n * (2 * dot(v, n)); };
  Similarity m;
  m.translation = false;
  m.mirrored = true;
  m.map.x = reflected({1, 0, 0});
  m.map.y = reflected({0, 1, 0});
  m.map.z = reflected({0, 0, 1});
  m.map.origin = n * (2 * dot(a, n));
  return m;
}

bool transformable(std::string_view t) {
  const EntityType* type = find_entity_type(t);
  return type != nullptr && type->transformable;
}

Record transformed(const Record& rec, const Similarity& m, const Record* owner, bool mirror_text) {
  Record out = rec;
  // A VERTEX lies in the plane of its POLYLINE.
  const Vec3 extrusion = (owner ? *owner : rec).point(210, {0, 0, 1});
  const Carrier c(m, extrusion);
  carry_groups(out, rec, c, m, owner);
  carry_xdata(out, c, m);
  if (m.translation) return out;

  if (rec.type == "MTEXT") {
    // The direction of the text (11), or its rotation (50) where it has none.
    if (const Group* d = rec.find(11)) {
      Vec3 dir = c.direction(d->pt());
      // MTEXT cannot read backwards: a mirror leaves it reading as before.
      if (m.mirrored && dot(dir, d->pt()) < 0) dir = -dir;
      out.set(Group::point(11, dir));
    } else if (rec.has(50)) {
      const double after = c.angle(rec.real(50));
      out.set(Group::real(50, m.mirrored ? readable(c, rec.real(50), after) : after));
    }
  } else if ((is_text(rec.type) || rec.type == "INSERT") && !m.mirrored) {
    const double turned = c.angle(rec.real(50));
    if (turned != 0 || rec.has(50)) out.set(Group::real(50, turned));
  }
  if (m.mirrored) mirror_orientation(out, rec, c, mirror_text);

  const Vec3 new_extrusion = c.extrusion();
  if (!owner && (rec.has(210) || new_extrusion != Vec3{0, 0, 1}))
    out.set(Group::point(210, new_extrusion));
  return out;
}

}  // namespace cad

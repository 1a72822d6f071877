// UCS: a new origin, rotations about the axes, the world, the previous UCS (the host keeps the
// last ten), and a UCS aligned with an object (OBject, also reached by its old name Entity).
//
// Aligned with an object:
//   - DIMENSION: origin at the text middle point (11), X axis along the direction kept in 51
//     (whose negative is the angle of the X axis of the UCS the dimension was drawn in), in the
//     dimension's plane;
//   - LINE: origin at its start, X axis along it, Z the line's extrusion where it can be;
//   - LWPOLYLINE: origin at its first vertex, X axis towards the second;
//   - CIRCLE, ARC: origin at the centre, X axis towards the start of an arc (a circle: the
//     object system's X axis);
//   - TEXT, INSERT, MTEXT: origin at the insertion point, X axis turned by the rotation;
//   - POINT and any other object with an extrusion: origin at its first point, axes of its
//     object system.
#include <cmath>
#include <numbers>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"

namespace cad {

namespace {

constexpr Prompt kOrigin{"Specify origin of UCS or [OBject/Previous/World/X/Y/Z] <World>:"};
constexpr Prompt kXAxis{"Specify point on X-axis or <Accept>:"};
constexpr Prompt kXyPlane{"Specify point on the XY plane or <Accept>:"};
constexpr Prompt kAlignWith{"Select object to align UCS:"};
// About X, Y and Z.
constexpr Prompt kRotations[] = {{"Specify rotation angle about X axis <90>:"},
                                 {"Specify rotation angle about Y axis <90>:"},
                                 {"Specify rotation angle about Z axis <90>:"}};
constexpr Prompt kUcsPrompts[] = {kOrigin,       kXAxis,        kXyPlane,     kAlignWith,
                                  kRotations[0], kRotations[1], kRotations[2]};

// A UCS in the object system of extrusion, origin at origin (world), X axis turned by angle.
std::optional<Ucs> ocs_ucs(Vec3 origin, Vec3 extrusion, double angle) {
  const Axes axes = ocs_axes(extrusion);
  const Vec3 x = axes.x * std::cos(angle) + axes.y * std::sin(angle);
  return make_ucs(origin, x, cross(axes.z, x));
}

std::optional<Ucs> object_ucs(const Record& rec) {
  const Vec3 extrusion = rec.point(210, {0, 0, 1});
  const std::string& type = rec.type;
  if (type == "DIMENSION")
    return ocs_ucs(ocs_to_world(rec.point(11), extrusion), extrusion, -rec.real(51));
  if (type == "LINE") {
    const Vec3 start = rec.point(10);
    const Vec3 along = rec.point(11) - start;
    if (auto ucs = make_ucs(start, along, cross(normalized(extrusion), along))) return ucs;
    return make_ucs(start, along,
                    std::abs(along.z) < length(along) ? Vec3{0, 0, 1} : Vec3{1, 0, 0});
  }
  if (type == "LWPOLYLINE") {
    const size_t first = rec.index_of(10);
    const size_t second = rec.index_of(10, first + 1);
    if (second >= rec.groups.size()) return std::nullopt;
    const double elevation = rec.real(38);
    Vec3 a = rec.groups[first].pt();
    Vec3 b = rec.groups[second].pt();
    a.z = b.z = elevation;
    const Vec3 start = ocs_to_world(a, extrusion);
    const Vec3 along = ocs_to_world_disp(b - a, extrusion);
    return make_ucs(start, along, cross(normalized(extrusion), along));
  }
  if (type == "CIRCLE" || type == "ARC")
    return ocs_ucs(ocs_to_world(rec.point(10), extrusion), extrusion,
                   type == "ARC" ? rec.real(50) : 0);
  if (type == "TEXT" || type == "INSERT")
    return ocs_ucs(ocs_to_world(rec.point(10), extrusion), extrusion, rec.real(50));
  if (type == "MTEXT") {
    if (rec.has(11)) return make_ucs(rec.point(10), rec.point(11), cross(extrusion, rec.point(11)));
    return ocs_ucs(rec.point(10), extrusion, rec.real(50));
  }
  if (rec.has(10)) return ocs_ucs(rec.point(10), extrusion, 0);
  return std::nullopt;
}

void align_with_object(Host& host) {
  for (;;) {
    const Answer pick = checked(host.prompter().get_pick(shown(kAlignWith)));
    if (pick.status == kRtNone) return;
    const RecordId id = picked_entity(host, pick);
    if (id == kNoRecord) {
      say(host, "\nNo object found.");
      continue;
    }
    if (std::optional<Ucs> ucs = object_ucs(host.db().record(id))) {
      host.set_ucs(*ucs);
      return;
    }
    say(host, "\nThat object cannot align the UCS.");
  }
}

// Turns the UCS about one of its own axes (0 X, 1 Y, 2 Z) by the angle asked for.
void rotate(Host& host, int axis) {
  const Answer a = checked(host.prompter().get_angle(shown(kRotations[axis]), std::nullopt));
  const double angle = a.status == kRtNorm ? a.real : std::numbers::pi / 2;
  const Ucs& ucs = host.ucs();
  if (axis == 2) {
    host.set_ucs(ucs.rotated_about_z(angle));
    return;
  }
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const Vec3 z = ucs.z_axis();
  Ucs turned = ucs;
  if (axis == 0)
    turned.y_axis = ucs.y_axis * c + z * s;
  else
    turned.x_axis = ucs.x_axis * c - z * s;
  host.set_ucs(turned);
}

// A new origin, then optionally a point on the new X axis and one in the new XY plane.
void new_origin(Host& host, Vec3 origin_in_ucs) {
  const Ucs& ucs = host.ucs();
  const Vec3 origin = ucs.to_world(origin_in_ucs);
  Ucs moved = ucs;
  moved.origin = origin;
  const Answer x = checked(host.prompter().get_point(shown(kXAxis)));
  if (x.status == kRtNorm) {
    const Vec3 x_dir = ucs.to_world(x.point) - origin;
    Vec3 xy_dir = cross(ucs.z_axis(), x_dir);
    const Answer y = checked(host.prompter().get_point(shown(kXyPlane)));
    if (y.status == kRtNorm) xy_dir = ucs.to_world(y.point) - origin;
    std::optional<Ucs> made = make_ucs(origin, x_dir, xy_dir);
    if (!made) {
      say(host, "\nThe points do not define a UCS.");
      return;
    }
    moved = *made;
  }
  host.set_ucs(moved);
}

void ucs_command(Host& host) {
  say(host,
      host.ucs().is_world() ? "\nCurrent ucs name:  *WORLD*" : "\nCurrent ucs name:  *NO NAME*");
  host.prompter().init_get(0, "OBject Previous World X Y Z Entity");
  const Answer a = checked(host.prompter().get_point(shown(kOrigin)));
  if (a.status == kRtNorm) {
    new_origin(host, a.point);
  } else if (a.status == kRtNone || a.text == "World") {
    host.set_ucs(Ucs{});
  } else if (a.text == "Previous") {
    if (!host.ucs_previous()) say(host, "\nNo previous UCS.");
  } else if (a.text == "OBject" || a.text == "Entity") {
    align_with_object(host);
  } else {
    rotate(host, a.text == "X" ? 0 : a.text == "Y" ? 1 : 2);
  }
}

}  // namespace

const Builtin kUcsCommand{"UCS", ucs_command, "Sets the user coordinate system.", kUcsPrompts};

}  // namespace cad

// LINE, PLINE and CIRCLE: enough drawing to make a test drawing by hand. Points are typed in the
// current UCS; lines are kept in world coordinates, polylines and circles in the UCS's plane
// (their object system). Undo inside LINE and PLINE takes back the last segment.
#include <cmath>
#include <vector>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"

namespace cad {

namespace {

constexpr Prompt kFirstPoint{"Specify first point:"};
constexpr Prompt kNextPoint{"Specify next point or [Undo]:"};
constexpr Prompt kNextPointOrClose{"Specify next point or [Close/Undo]:"};
constexpr Prompt kStartPoint{"Specify start point:"};
constexpr Prompt kCenter{"Specify center point for circle:"};
constexpr Prompt kRadius{"Specify radius of circle or [Diameter]:"};
constexpr Prompt kDiameter{"Specify diameter of circle:"};
constexpr Prompt kLinePrompts[] = {kFirstPoint, kNextPoint, kNextPointOrClose};
constexpr Prompt kPlinePrompts[] = {kStartPoint, kNextPoint, kNextPointOrClose};
constexpr Prompt kCirclePrompts[] = {kCenter, kRadius, kDiameter};

// The extrusion group, which files leave out for the world's Z axis.
void add_extrusion(Record& rec, Vec3 extrusion) {
  if (extrusion != Vec3{0, 0, 1}) rec.groups.push_back(Group::point(210, extrusion));
}

Vec3 ucs_z(const Ucs& ucs) {
  Vec3 z = ucs.z_axis();
  // Rounding left over from turning a UCS about Z leaves the world's Z axis as it is.
  if (std::abs(z.x) < 1e-12 && std::abs(z.y) < 1e-12 && z.z > 0) z = {0, 0, 1};
  return z;
}

void line_command(Host& host) {
  Prompter& prompter = host.prompter();
  const Answer first = checked(prompter.get_point(shown(kFirstPoint)));
  if (first.status != kRtNorm) return;
  std::vector<Vec3> points = {first.point};
  std::vector<size_t> marks;
  for (;;) {
    const bool can_close = points.size() >= 3;
    prompter.init_get(0, can_close ? "Close Undo" : "Undo");
    const Answer a = checked(prompter.get_point(shown(can_close ? kNextPointOrClose : kNextPoint)));
    if (a.status == kRtNone) return;
    if (a.status == kRtKword && a.text == "Undo") {
      if (marks.empty()) {
        say(host, "\nAll segments already undone.");
        continue;
      }
      host.rollback_to(marks.back());
      marks.pop_back();
      points.pop_back();
      prompter.set_last_point(points.back());
      continue;
    }
    const Vec3 to = a.status == kRtKword ? points.front() : a.point;
    marks.push_back(host.db().journal_size());
    Record line = model_entity(host.db(), "LINE");
    line.groups.push_back(Group::point(10, host.ucs().to_world(points.back())));
    line.groups.push_back(Group::point(11, host.ucs().to_world(to)));
    host.db().add_entity(std::move(line));
    if (a.status == kRtKword) return;
    points.push_back(to);
  }
}

void pline_command(Host& host) {
  Prompter& prompter = host.prompter();
  const Answer start = checked(prompter.get_point(shown(kStartPoint)));
  if (start.status != kRtNorm) return;
  say(host, "\nCurrent line-width is " + format_length(host.db(), 0));
  std::vector<Vec3> points = {start.point};
  bool closed = false;
  for (;;) {
    const bool can_close = points.size() >= 2;
    prompter.init_get(0, can_close ? "Close Undo" : "Undo");
    const Answer a = checked(prompter.get_point(shown(can_close ? kNextPointOrClose : kNextPoint)));
    if (a.status == kRtNone) break;
    if (a.status == kRtKword && a.text == "Close") {
      closed = true;
      break;
    }
    if (a.status == kRtKword) {
      if (points.size() > 1) points.pop_back();
      prompter.set_last_point(points.back());
      continue;
    }
    points.push_back(a.point);
  }
  if (points.size() < 2) return;
  const Ucs& ucs = host.ucs();
  const Vec3 extrusion = ucs_z(ucs);
  std::vector<Vec3> ocs;
  for (Vec3 p : points) ocs.push_back(world_to_ocs(ucs.to_world(p), extrusion));
  Record rec = model_entity(host.db(), "LWPOLYLINE");
  rec.groups.push_back(Group::integer(90, static_cast<int64_t>(ocs.size())));
  rec.groups.push_back(Group::integer(70, closed ? 1 : 0));
  rec.groups.push_back(Group::real(43, 0));
  if (ocs.front().z != 0) rec.groups.push_back(Group::real(38, ocs.front().z));
  for (Vec3 p : ocs) rec.groups.push_back(Group::point(10, {p.x, p.y, 0}, 2));
  add_extrusion(rec, extrusion);
  host.db().add_entity(std::move(rec));
}

void circle_command(Host& host) {
  Prompter& prompter = host.prompter();
  const Answer center = checked(prompter.get_point(shown(kCenter)));
  if (center.status != kRtNorm) return;
  prompter.init_get(kInitNoZero | kInitNoNegative, "Diameter");
  Answer r = checked(prompter.get_dist(shown(kRadius), center.point));
  double radius = r.real;
  if (r.status == kRtKword) {
    prompter.init_get(kInitNoZero | kInitNoNegative, "");
    r = checked(prompter.get_dist(shown(kDiameter), center.point));
    radius = r.real / 2;
  }
  if (r.status != kRtNorm) return;
  const Vec3 extrusion = ucs_z(host.ucs());
  Record rec = model_entity(host.db(), "CIRCLE");
  rec.groups.push_back(
      Group::point(10, world_to_ocs(host.ucs().to_world(center.point), extrusion)));
  rec.groups.push_back(Group::real(40, radius));
  add_extrusion(rec, extrusion);
  host.db().add_entity(std::move(rec));
}

}  // namespace

const Builtin kLineCommand{"LINE", line_command, "Draws straight line segments.", kLinePrompts};
const Builtin kPlineCommand{"PLINE", pline_command, "Draws a polyline of straight segments.",
                            kPlinePrompts};
const Builtin kCircleCommand{"CIRCLE", circle_command,
                             "Draws a circle by its centre and radius or diameter.",
                             kCirclePrompts};

}  // namespace cad

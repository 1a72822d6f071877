#include "cad/dims/dim_arrows.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "cad/base/text.h"
#include "cad/dims/drawing_records.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

enum class Shape {
  kClosedBlank,
  kClosed,
  kDot,
  kArchTick,
  kOblique,
  kOpen,
  kOrigin,
  kOrigin2,
  kOpen90,
  kOpen30,
  kDotSmall,
  kDotBlank,
  kSmall,
  kBoxBlank,
  kBoxFilled,
  kDatumBlank,
  kDatumFilled,
  kIntegral,
};

struct BuiltIn {
  std::string_view name;   // as DIMBLK takes it
  std::string_view block;  // as the real host names the block
  Shape shape;
  bool joins_at_tip;
};

constexpr BuiltIn kBuiltIns[] = {
    {"_CLOSEDBLANK", "_ClosedBlank", Shape::kClosedBlank, false},
    {"_CLOSED", "_Closed", Shape::kClosed, false},
    {"_DOT", "_Dot", Shape::kDot, false},
    {"_ARCHTICK", "_ArchTick", Shape::kArchTick, true},
    {"_OBLIQUE", "_Oblique", Shape::kOblique, true},
    {"_OPEN", "_Open", Shape::kOpen, false},
    {"_ORIGIN", "_Origin", Shape::kOrigin, false},
    {"_ORIGIN2", "_Origin2", Shape::kOrigin2, false},
    {"_OPEN90", "_Open90", Shape::kOpen90, false},
    {"_OPEN30", "_Open30", Shape::kOpen30, false},
    {"_DOTSMALL", "_DotSmall", Shape::kDotSmall, true},
    {"_DOTBLANK", "_DotBlank", Shape::kDotBlank, false},
    {"_SMALL", "_Small", Shape::kSmall, true},
    {"_BOXBLANK", "_BoxBlank", Shape::kBoxBlank, false},
    {"_BOXFILLED", "_BoxFilled", Shape::kBoxFilled, false},
    {"_DATUMBLANK", "_DatumBlank", Shape::kDatumBlank, false},
    {"_DATUMFILLED", "_DatumFilled", Shape::kDatumFilled, false},
    {"_INTEGRAL", "_Integral", Shape::kIntegral, true},
};

// The entities of a built-in arrowhead's block, on layer 0 and coloured by block so that they
// take the dimension line's layer and colour.
class ArrowBlock {
 public:
  explicit ArrowBlock(Database& db, size_t block) : db_(db), block_(block) {}

  void line(Vec2 a, Vec2 b) {
    Record rec = start("LINE", 2);
    rec.groups.push_back(Group::point(10, with_z(a)));
    rec.groups.push_back(Group::point(11, with_z(b)));
    add(std::move(rec));
  }
  void outline(const std::vector<Vec2>& corners) {
    for (size_t k = 0; k < corners.size(); ++k) line(corners[k], corners[(k + 1) % corners.size()]);
  }
  // A filled triangle or quadrilateral (corners in SOLID order: the fourth opposite the first).
  void solid(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    Record rec = start("SOLID", 4);
    for (int k = 0; const Vec2 p : {a, b, c, d})
      rec.groups.push_back(Group::point(10 + k++, with_z(p)));
    add(std::move(rec));
  }
  void circle(Vec2 center, double radius) {
    Record rec = start("CIRCLE", 2);
    rec.groups.push_back(Group::point(10, with_z(center)));
    rec.groups.push_back(Group::real(40, radius));
    add(std::move(rec));
  }
  void arc(Vec2 center, double radius, double from_deg, double to_deg) {
    Record rec = start("ARC", 4);
    rec.groups.push_back(Group::point(10, with_z(center)));
    rec.groups.push_back(Group::real(40, radius));
    rec.groups.push_back(Group::real(50, from_deg * std::numbers::pi / 180));
    rec.groups.push_back(Group::real(51, to_deg * std::numbers::pi / 180));
    add(std::move(rec));
  }
  // A straight polyline of constant width, or a disc (a closed polyline of two half circles whose
  // width is its radius), as the host's DONUT makes it.
  void wide_line(Vec2 a, Vec2 b, double width) { polyline({a, b}, 0, false, width); }
  void disc(Vec2 center, double radius) {
    polyline({center - Vec2{radius / 2, 0}, center + Vec2{radius / 2, 0}}, 1, true, radius);
  }

 private:
  Record start(const char* type, size_t groups) {
    Record rec = entity_record(type, "0", groups + 1);
    rec.groups.push_back(Group::integer(62, kColorByBlock));
    return rec;
  }
  void polyline(std::vector<Vec2> points, double bulge, bool closed, double width) {
    Record rec = start("LWPOLYLINE", 3 + 2 * points.size());
    rec.groups.push_back(Group::integer(90, static_cast<int64_t>(points.size())));
    rec.groups.push_back(Group::integer(70, closed ? 1 : 0));
    rec.groups.push_back(Group::real(43, width));
    for (Vec2 p : points) {
      rec.groups.push_back(Group::point(10, with_z(p), 2));
      if (bulge != 0) rec.groups.push_back(Group::real(42, bulge));
    }
    add(std::move(rec));
  }
  void add(Record rec) { db_.add_block_entity(block_, std::move(rec)); }

  Database& db_;
  size_t block_;
};

// An open or closed arrow of unit length whose sides enclose `degrees`.
Vec2 arrow_side(double degrees) {
  const double half = degrees / 2 * std::numbers::pi / 180;
  return {-std::cos(half), std::sin(half)};
}

void draw(ArrowBlock& b, Shape shape) {
  // The closed arrows are a third as wide as they are long, as the closed filled one.
  const Vec2 tip{0, 0};
  const Vec2 back{-1, 0};
  const Vec2 closed_up{-1, 1.0 / 6};
  const Vec2 closed_down{-1, -1.0 / 6};
  const Vec2 tick_from{-0.5, -0.5};
  const Vec2 tick_to{0.5, 0.5};
  const double datum = std::tan(std::numbers::pi / 6);
  switch (shape) {
    case Shape::kClosedBlank:
      b.outline({tip, closed_up, closed_down});
      break;
    case Shape::kClosed:
      b.outline({tip, closed_up, closed_down});
      b.line(tip, back);
      break;
    case Shape::kDot:
      b.disc(tip, 0.5);
      b.line({-0.5, 0}, back);
      break;
    case Shape::kArchTick:
      b.wide_line(tick_from, tick_to, 0.15);
      break;
    case Shape::kOblique:
      b.line(tick_from, tick_to);
      break;
    case Shape::kOpen:
    case Shape::kOpen90:
    case Shape::kOpen30: {
      const double degrees = shape == Shape::kOpen ? 2 * std::atan(1.0 / 6) * 180 / std::numbers::pi
                             : shape == Shape::kOpen90 ? 90
                                                       : 30;
      const Vec2 side = arrow_side(degrees);
      b.line(tip, side);
      b.line(tip, {side.x, -side.y});
      b.line(tip, back);
      break;
    }
    case Shape::kOrigin:
      b.circle(tip, 0.5);
      b.line(tip, back);
      break;
    case Shape::kOrigin2:
      b.circle(tip, 0.5);
      b.circle(tip, 0.25);
      b.line({-0.5, 0}, back);
      break;
    case Shape::kDotSmall:
      b.disc(tip, 0.125);
      break;
    case Shape::kDotBlank:
      b.circle(tip, 0.5);
      b.line({-0.5, 0}, back);
      break;
    case Shape::kSmall:
      b.circle(tip, 0.25);
      break;
    case Shape::kBoxBlank:
      b.outline({{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}});
      b.line({-0.5, 0}, back);
      break;
    case Shape::kBoxFilled:
      b.solid({-0.5, -0.5}, {0.5, -0.5}, {-0.5, 0.5}, {0.5, 0.5});
      b.line({-0.5, 0}, back);
      break;
    case Shape::kDatumBlank:
      b.outline({{0, datum}, {0, -datum}, back});
      break;
    case Shape::kDatumFilled:
      b.solid({0, datum}, {0, -datum}, back, back);
      break;
    case Shape::kIntegral: {
      const double r = std::sqrt(0.125);
      b.arc({-r, 0}, r, 270, 360);
      b.arc({r, 0}, r, 90, 180);
      break;
    }
  }
}

}  // namespace

Arrowhead arrowhead(Database& db, std::string_view name) {
  Arrowhead out;
  if (name.empty() || name == "." || iequals(name, "_CLOSEDFILLED")) return out;
  if (iequals(name, "_NONE")) {
    out.kind = Arrowhead::Kind::kNone;
    out.joins_at_tip = true;
    return out;
  }
  for (const BuiltIn& b : kBuiltIns) {
    if (!iequals(b.name, name)) continue;
    out.kind = Arrowhead::Kind::kBlock;
    out.joins_at_tip = b.joins_at_tip;
    const size_t found = db.block_index(b.block);
    if (found != Database::npos) {
      out.block = std::string(db.record(db.blocks()[found].begin).text(2));
      return out;
    }
    ArrowBlock block(db, add_block_with_record(db, b.block, 0));
    draw(block, b.shape);
    out.block = std::string(b.block);
    return out;
  }
  const size_t found = db.block_index(name);
  if (found == Database::npos) return out;
  out.kind = Arrowhead::Kind::kBlock;
  out.block = std::string(db.record(db.blocks()[found].begin).text(2));
  return out;
}

}  // namespace cad

#include "cad/dxf/r12_entities.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

#include "cad/base/utf8.h"
#include "cad/geom/arcs.h"
#include "cad/geom/coords.h"
#include "cad/render/text_codes.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

// The host's estimate of text, as its selection boxes take it: a character 0.6 times the height
// wide, MTEXT lines 5/3 of the height apart (times the line spacing factor).
constexpr double kCharWidth = 0.6;
constexpr double kLinePitch = 5.0 / 3.0;
constexpr int kEllipseSegments = 64;  // per full turn
constexpr double kTiny = 1e-12;

// The groups every entity has that the records made from it keep: layer, linetype, colour, and
// paper space.
void common_groups(const Record& from, Record& to) {
  const size_t end = from.xdata_begin();
  for (size_t k = 0; k < end; ++k) {
    const int code = from.groups[k].code;
    if (code == 8 || code == 6 || code == 62 || code == 67) to.groups.push_back(from.groups[k]);
  }
}

Vec3 extrusion_of(const Record& rec) {
  const Vec3 e = rec.point(210, {0, 0, 1});
  return length(e) < kTiny ? Vec3{0, 0, 1} : normalized(e);
}

void add_extrusion(Record& rec, Vec3 extrusion) {
  if (extrusion != Vec3{0, 0, 1}) rec.groups.push_back(Group::point(210, extrusion));
}

// Single-line text shows "%%" followed by a letter or digits as a code; a percent sign of the
// text stays one as "%%%".
std::string single_line_text(const std::string& text) {
  if (text.find("%%") == std::string::npos) return text;
  std::string out;
  for (char c : text) out += c == '%' ? std::string("%%%") : std::string(1, c);
  return out;
}

}  // namespace

bool r12_entity_type(std::string_view type) {
  const EntityType* found = find_entity_type(type);
  return found != nullptr && found->r12;
}

bool r12_writes(std::string_view type) {
  return r12_entity_type(type) || type == "MTEXT" || type == "LWPOLYLINE" || type == "ELLIPSE";
}

size_t r12_dimension_text_at(const Record& dim) {
  const size_t end = dim.xdata_begin();
  size_t at = 0;
  while (at < end && dim.groups[at].code != 1) ++at;
  if (at == end || dim.groups[at].s().find_first_of("\\{}") == std::string_view::npos)
    return std::string::npos;
  return at;
}

std::string r12_dimension_text_read(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out;
}

bool R12Entities::convert(const Record& rec, std::vector<Record>& out) {
  if (rec.type == "DIMENSION") return dimension(rec, out);
  if (r12_entity_type(rec.type)) return false;
  out.clear();
  const std::string_view type = rec.type;
  // The records are made of the entity's own groups, a code of theirs in its extended data (a 7
  // there) being none of its values; the first of them carries the extended data.
  const auto xdata = rec.groups.begin() + static_cast<std::ptrdiff_t>(rec.xdata_begin());
  Record without_xdata;
  if (xdata != rec.groups.end())
    without_xdata = {rec.type, std::vector<Group>(rec.groups.begin(), xdata)};
  const Record& own = xdata != rec.groups.end() ? without_xdata : rec;
  if (type == "MTEXT")
    mtext(own, out);
  else if (type == "LWPOLYLINE")
    lwpolyline(own, out);
  else if (type == "ELLIPSE")
    ellipse(own, out);
  if (!out.empty()) out.front().groups.insert(out.front().groups.end(), xdata, rec.groups.end());
  // An MTEXT without text becomes no TEXT.
  if (out.empty() && type != "MTEXT") ++left_out_[rec.type];
  return true;
}

// The text as the real host's R12 export writes it: its runs one after another, its lines joined
// by a blank, what the codes stood for kept ("<>", the measurement, included).
bool R12Entities::dimension(const Record& rec, std::vector<Record>& out) {
  const size_t at = r12_dimension_text_at(rec);
  if (at == std::string::npos) return false;
  std::string plain;
  const std::vector<TextLine> lines = parse_mtext(rec.groups[at].s(), 1);
  for (size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) plain += ' ';
    for (const TextRun& run : lines[k]) plain += run.text;
  }
  out.assign(1, rec);
  out.front().groups[at] = Group::text(1, single_line_text(plain));
  return true;
}

// Lines at the pitch of their MTEXT, the block of them placed by the attachment point; each run
// of a line one TEXT, on the line's baseline or raised as its alignment says. A line of one run
// is aligned as the attachment aligns it; in a line of several, the first run ends where the next
// begins, so that they stay together whatever the widths of the font that shows them.
void R12Entities::mtext(const Record& rec, std::vector<Record>& out) {
  const double height = rec.real(40);
  if (!(height > 0)) return;
  std::string contents;
  const size_t end = rec.xdata_begin();
  for (size_t k = 0; k < end; ++k)
    if (rec.groups[k].code == 3 || rec.groups[k].code == 1) contents += rec.groups[k].s();
  const std::vector<TextLine> lines = parse_mtext(contents, height);

  double spacing = rec.real(44, 1);
  if (!(spacing > 0)) spacing = 1;
  const double pitch = height * kLinePitch * spacing;
  const double total = height + static_cast<double>(lines.size() - 1) * pitch;
  const int64_t attachment = std::clamp<int64_t>(rec.integer(71, 1), 1, 9);
  const double top = total * static_cast<double>((attachment - 1) / 3) / 2;
  const int column = static_cast<int>((attachment - 1) % 3);

  // TEXT lies in the object coordinate system of its extrusion; MTEXT's point and direction are
  // world coordinates.
  const Vec3 extrusion = extrusion_of(rec);
  Vec3 direction = rec.has(11) ? world_to_ocs_disp(rec.point(11), extrusion)
                               : Vec3{std::cos(rec.real(50)), std::sin(rec.real(50)), 0};
  if (length(xy(direction)) < kTiny) direction = {1, 0, 0};
  const double rotation = std::atan2(direction.y, direction.x);
  const Vec2 along{std::cos(rotation), std::sin(rotation)};
  const Vec3 origin = world_to_ocs(rec.point(10), extrusion);
  auto place = [&](double x, double y) {
    return with_z(xy(origin) + along * x + perp(along) * y, origin.z);
  };

  auto text = [&](const TextRun& run, Vec3 at, int horizontal) {
    Record t;
    t.type = "TEXT";
    if (out.empty()) {
      if (const Group* handle = rec.find(5)) t.groups.push_back(*handle);
    } else {
      t.groups.push_back(Group::text(5, handle_text(take_handle())));
    }
    common_groups(rec, t);
    t.groups.push_back(Group::point(10, at));
    t.groups.push_back(Group::real(40, run.height));
    t.groups.push_back(Group::text(1, single_line_text(run.text)));
    if (rotation != 0) t.groups.push_back(Group::real(50, rotation));
    if (const Group* style = rec.find(7)) t.groups.push_back(*style);
    if (horizontal != 0) {
      t.groups.push_back(Group::integer(72, horizontal));
      t.groups.push_back(Group::point(11, at));
    }
    add_extrusion(t, extrusion);
    out.push_back(std::move(t));
  };

  for (size_t k = 0; k < lines.size(); ++k) {
    const TextLine& line = lines[k];
    if (line.empty()) continue;
    const double baseline = top - height - static_cast<double>(k) * pitch;
    double line_height = 0;
    double width = 0;
    for (const TextRun& run : line) {
      line_height = std::max(line_height, run.height);
      width += static_cast<double>(utf8_length(run.text)) * kCharWidth * run.height;
    }
    auto raised = [&](const TextRun& run) {
      if (run.alignment == RunAlignment::kTop) return baseline + line_height - run.height;
      if (run.alignment == RunAlignment::kCenter) return baseline + (line_height - run.height) / 2;
      return baseline;
    };
    if (line.size() == 1) {
      text(line.front(), place(0, raised(line.front())), column);
      continue;
    }
    double x = -width * column / 2;
    for (size_t r = 0; r < line.size(); ++r) {
      const TextRun& run = line[r];
      const double run_width = static_cast<double>(utf8_length(run.text)) * kCharWidth * run.height;
      if (r == 0)
        text(run, place(x + run_width, raised(run)), 2);
      else
        text(run, place(x, raised(run)), 0);
      x += run_width;
    }
  }
}

namespace {

struct Vertex {
  Vec2 at;
  double start_width = 0;
  double end_width = 0;
  double bulge = 0;
};

// A 2D POLYLINE of these vertices at this elevation, with its VERTEX records and SEQEND.
template <typename TakeHandle>
void polyline(const Record& rec, const std::vector<Vertex>& vertices, int64_t flags,
              double elevation, double width, Vec3 extrusion, TakeHandle&& take_handle,
              std::vector<Record>& out) {
  Record head;
  head.type = "POLYLINE";
  if (const Group* handle = rec.find(5)) head.groups.push_back(*handle);
  common_groups(rec, head);
  if (rec.has(39)) head.groups.push_back(Group::real(39, rec.real(39)));
  head.groups.push_back(Group::integer(66, 1));
  head.groups.push_back(Group::point(10, {0, 0, elevation}));
  head.groups.push_back(Group::integer(70, flags));
  if (width != 0) {
    head.groups.push_back(Group::real(40, width));
    head.groups.push_back(Group::real(41, width));
  }
  add_extrusion(head, extrusion);
  out.push_back(std::move(head));

  auto follower = [&](const char* type) {
    Record r;
    r.type = type;
    r.groups.push_back(Group::text(5, handle_text(take_handle())));
    for (const Group& g : out.front().groups)
      if (g.code == 8 || g.code == 67) r.groups.push_back(g);
    return r;
  };
  for (const Vertex& v : vertices) {
    Record vertex = follower("VERTEX");
    vertex.groups.push_back(Group::point(10, with_z(v.at, elevation)));
    if (v.start_width != 0) vertex.groups.push_back(Group::real(40, v.start_width));
    if (v.end_width != 0) vertex.groups.push_back(Group::real(41, v.end_width));
    if (v.bulge != 0) vertex.groups.push_back(Group::real(42, v.bulge));
    vertex.groups.push_back(Group::integer(70, 0));
    out.push_back(std::move(vertex));
  }
  out.push_back(follower("SEQEND"));
}

}  // namespace

void R12Entities::lwpolyline(const Record& rec, std::vector<Record>& out) {
  std::vector<Vertex> vertices;
  const double width = rec.real(43);
  const size_t end = rec.xdata_begin();
  for (size_t k = 0; k < end; ++k) {
    const Group& g = rec.groups[k];
    if (g.code == 10) {
      vertices.push_back({{g.x(), g.y()}});
    } else if (!vertices.empty() && width == 0 && g.code == 40) {
      vertices.back().start_width = g.x();
    } else if (!vertices.empty() && width == 0 && g.code == 41) {
      vertices.back().end_width = g.x();
    } else if (!vertices.empty() && g.code == 42) {
      vertices.back().bulge = g.x();
    }
  }
  if (vertices.empty()) return;
  // Closed and the linetype generated along the whole polyline mean the same there.
  const int64_t flags = rec.integer(70) & (kPolylineClosed | kPolylineLinetypeGeneration);
  polyline(
      rec, vertices, flags, rec.real(38), width, extrusion_of(rec),
      [this] { return take_handle(); }, out);
}

void R12Entities::ellipse(const Record& rec, std::vector<Record>& out) {
  const Vec3 extrusion = extrusion_of(rec);
  const Vec3 center = rec.point(10);
  const Vec3 major = rec.point(11);
  const double ratio = rec.real(40, 1);
  if (length(major) < kTiny || !(ratio > 0)) return;
  const double start = rec.real(41, 0);
  double sweep = normalize_angle(rec.real(42, 2 * std::numbers::pi) - start);
  if (sweep < kTiny) sweep = 2 * std::numbers::pi;
  const bool full = sweep > 2 * std::numbers::pi - 1e-9;
  const int steps =
      std::max(4, static_cast<int>(std::ceil(kEllipseSegments * sweep / (2 * std::numbers::pi))));
  std::vector<Vertex> vertices;
  for (int i = 0; i <= steps - (full ? 1 : 0); ++i) {
    const Vec3 p = world_to_ocs(
        ellipse_point(center, major, extrusion, ratio, start + sweep * i / steps), extrusion);
    // An ellipse too large for numbers has no polyline: it is left out.
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
    vertices.push_back({xy(p)});
  }
  polyline(
      rec, vertices, full ? 1 : 0, world_to_ocs(center, extrusion).z, 0, extrusion,
      [this] { return take_handle(); }, out);
}

std::string R12Entities::left_out() const {
  std::string out;
  for (const auto& [type, count] : left_out_)
    out += (out.empty() ? "left out, as R12 has no such entities: " : ", ") +
           std::to_string(count) + " " + type;
  return out;
}

}  // namespace cad

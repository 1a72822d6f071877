// Geometry of the C interface: coordinate transformation between world, UCS and object systems,
// line intersection, distances and angles, and distances as text in the drawing's linear units.
//
// Linear units (LUNITS): 1 scientific, 2 decimal, 3 engineering (feet and decimal inches),
// 4 architectural (feet and fractional inches), 5 fractional. acdbDisToF reads decimal and
// scientific numbers in every unit mode, feet (') and inches (") in modes 3 and 4, and
// fractions ("3 1/2", "1'-6 1/2\"") in modes 4 and 5.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>

#include "cad/ads/bridge.h"
#include "cad/base/text.h"
#include "cad/geom/coords.h"
#include "cad/geom/intersect.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"
#include "host/adslib.h"

namespace cad {
namespace {

// Entity types whose points lie in their object coordinate system; the others keep world
// points, so their object system is the world.
bool uses_ocs(const Record& rec) {
  const EntityType* type = find_entity_type(rec.type);
  if (type == nullptr || !type->planar) return false;
  // 2D polylines only: 3D polylines and meshes keep world points.
  return rec.type != "POLYLINE" || (rec.integer(70) & kPolylineWorldVertices) == 0;
}

// A coordinate system as acedTrans names it.
struct System {
  enum Kind { kWorld, kUcs, kOcs } kind = kWorld;
  Vec3 extrusion{0, 0, 1};
};

bool read_system(const resbuf* rb, System& out) {
  if (!rb) return false;
  switch (rb->restype) {
    case RTSHORT:
      if (rb->resval.rint == 0) {
        out.kind = System::kWorld;
        return true;
      }
      // The display system of a headless host is the UCS.
      if (rb->resval.rint == 1 || rb->resval.rint == 2) {
        out.kind = System::kUcs;
        return true;
      }
      return false;
    case RT3DPOINT:
      out.kind = System::kOcs;
      out.extrusion = to_vec(rb->resval.rpoint);
      return length(out.extrusion) > 0;
    case RTENAME: {
      Database& db = host().db();
      RecordId id = name_record(db, rb->resval.rlname);
      if (id == kNoRecord) return false;
      const Record& rec = db.record(id);
      if (!uses_ocs(rec)) {
        out.kind = System::kWorld;
        return true;
      }
      out.kind = System::kOcs;
      out.extrusion = rec.point(210, {0, 0, 1});
      return true;
    }
    default:
      return false;
  }
}

Vec3 to_world(const System& s, Vec3 p, bool disp) {
  switch (s.kind) {
    case System::kUcs:
      return disp ? host().ucs().to_world_disp(p) : host().ucs().to_world(p);
    case System::kOcs:
      return ocs_to_world(p, s.extrusion);
    case System::kWorld:
      break;
  }
  return p;
}

Vec3 from_world(const System& s, Vec3 p, bool disp) {
  switch (s.kind) {
    case System::kUcs:
      return disp ? host().ucs().from_world_disp(p) : host().ucs().from_world(p);
    case System::kOcs:
      return world_to_ocs(p, s.extrusion);
    case System::kWorld:
      break;
  }
  return p;
}

int linear_units(int unit) {
  if (unit >= 1 && unit <= 5) return unit;
  auto v = host().get_var("LUNITS");
  return v ? static_cast<int>(v->i) : 2;
}

// A plain number: decimal or scientific, with sign. Advances pos past it.
bool read_number(std::string_view s, size_t& pos, double& value) {
  std::string text(s.substr(pos));
  const char* begin = text.c_str();
  char* end = nullptr;
  if (text.empty() || text[0] == ' ' || text[0] == '\t') return false;
  value = std::strtod(begin, &end);
  // Beyond the range of a double strtod gives infinity, which no drawing can hold.
  if (end == begin || !std::isfinite(value)) return false;
  // strtod also reads "inf", "nan" and hexadecimal numbers, which no unit mode writes.
  for (const char* c = begin; c < end; ++c)
    if (std::isalpha(static_cast<unsigned char>(*c)) && *c != 'e' && *c != 'E') return false;
  pos += static_cast<size_t>(end - begin);
  return true;
}

// "n/d" right at pos.
bool read_fraction(std::string_view s, size_t& pos, double& value) {
  size_t p = pos;
  double num = 0, den = 0;
  if (!read_number(s, p, num) || p >= s.size() || s[p] != '/') return false;
  ++p;
  if (!read_number(s, p, den) || den == 0) return false;
  value = num / den;
  pos = p;
  return true;
}

// A number, a fraction, or a whole number and a fraction ("3 1/2" or "3-1/2").
bool read_mixed(std::string_view s, size_t& pos, bool fractions, double& value) {
  if (fractions && read_fraction(s, pos, value)) return true;
  bool negative = pos < s.size() && s[pos] == '-';
  double whole = 0;
  if (!read_number(s, pos, whole)) return false;
  value = whole;
  if (!fractions || pos >= s.size() || (s[pos] != ' ' && s[pos] != '-')) return true;
  size_t p = pos + 1;
  double frac = 0;
  if (!read_fraction(s, p, frac) || frac < 0) return true;
  value = negative ? whole - frac : whole + frac;
  pos = p;
  return true;
}

bool parse_feet_inches(std::string_view text, int units, double& out) {
  text = trim(text, " ");
  if (text.empty()) return false;
  bool feet_inches = units == 3 || units == 4;
  bool fractions = units == 4 || units == 5;
  size_t pos = 0;
  double first = 0;
  if (!read_mixed(text, pos, fractions, first)) return false;
  if (pos == text.size()) {
    out = first;
    return true;
  }
  if (!feet_inches) return false;
  if (text[pos] == '"') {
    out = first;
    return pos + 1 == text.size();
  }
  if (text[pos] != '\'') return false;
  ++pos;
  double feet = first;
  if (pos == text.size()) {
    out = feet * 12;
    return true;
  }
  if (text[pos] == '-') ++pos;
  double inches = 0;
  if (!read_mixed(text, pos, fractions || units == 4, inches)) return false;
  if (pos < text.size() && text[pos] == '"') ++pos;
  if (pos != text.size() || inches < 0) return false;
  out = feet < 0 || text[0] == '-' ? feet * 12 - inches : feet * 12 + inches;
  return true;
}

// A distance as typed, in the given unit mode; feet and inches give inches. NaN and infinity,
// also from numbers that overflow once turned into inches, are none.
bool parse_distance(std::string_view text, int units, double& out) {
  double value = 0;
  if (!parse_feet_inches(text, units, value) || !std::isfinite(value)) return false;
  out = value;
  return true;
}

// Inches as a whole number and a fraction with a denominator of at most 2^prec, reduced.
std::string fraction_text(double value, int prec) {
  int den = 1 << std::min(std::max(prec, 0), 8);
  long long total = std::llround(std::abs(value) * den);
  long long whole = total / den;
  long long num = total % den;
  while (num != 0 && num % 2 == 0) {
    num /= 2;
    den /= 2;
  }
  std::string out = value < 0 && total != 0 ? "-" : "";
  if (num == 0) return out + std::to_string(whole);
  if (whole != 0) out += std::to_string(whole) + " ";
  return out + std::to_string(num) + "/" + std::to_string(den);
}

std::string distance_text(double value, int units, int prec) {
  char buf[64];
  prec = std::clamp(prec, 0, 8);
  switch (units) {
    case 1:
      std::snprintf(buf, sizeof buf, "%.*E", prec, value);
      return buf;
    case 3: {
      double feet = std::trunc(value / 12);
      double inches = std::abs(value - feet * 12);
      std::snprintf(buf, sizeof buf, "%s%.0f'-%.*f\"", value < 0 && feet == 0 ? "-" : "", feet,
                    prec, inches);
      return buf;
    }
    case 4: {
      double feet = std::trunc(value / 12);
      double inches = std::abs(value - feet * 12);
      std::string out = value < 0 && feet == 0 ? "-" : "";
      if (feet != 0) {
        std::snprintf(buf, sizeof buf, "%.0f'-", feet);
        out += buf;
      }
      return out + fraction_text(inches, prec) + "\"";
    }
    case 5:
      return fraction_text(value, prec);
    default:
      break;
  }
  std::snprintf(buf, sizeof buf, "%.*f", prec, value);
  return buf;
}

}  // namespace
}  // namespace cad

using cad::host;
using cad::to_vec;

int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp,
              ads_point result) {
  cad::System f, t;
  if (!pt || !result || !cad::read_system(from, f) || !cad::read_system(to, t)) return RTERROR;
  cad::Vec3 world = cad::to_world(f, to_vec(pt), disp != 0);
  cad::from_vec(cad::from_world(t, world, disp != 0), result);
  return RTNORM;
}

int acdbInters(const ads_point from1, const ads_point to1, const ads_point from2,
               const ads_point to2, int teston, ads_point result) {
  auto p =
      cad::intersect_lines(to_vec(from1), to_vec(to1), to_vec(from2), to_vec(to2), teston != 0);
  if (!p) return RTNONE;
  cad::from_vec(*p, result);
  return RTNORM;
}

ads_real acutDistance(const ads_point p1, const ads_point p2) {
  return cad::distance(to_vec(p1), to_vec(p2));
}

ads_real acutAngle(const ads_point p1, const ads_point p2) {
  double a = std::atan2(p2[Y] - p1[Y], p2[X] - p1[X]);
  return a < 0 ? a + 2 * std::numbers::pi : a;
}

void acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point result) {
  result[X] = pt[X] + dist * std::cos(angle);
  result[Y] = pt[Y] + dist * std::sin(angle);
  result[Z] = pt[Z];
}

int acdbDisToF(const ACHAR* str, int unit, ads_real* v) {
  if (!str || !v) return RTERROR;
  double value = 0;
  if (!cad::parse_distance(cad::to_utf8(str), cad::linear_units(unit), value)) return RTERROR;
  *v = value;
  return RTNORM;
}

int acdbRToS(ads_real val, int unit, int prec, ACHAR* str, size_t len) {
  if (!str || !std::isfinite(val)) return RTERROR;
  if (prec < 0) {
    auto v = host().get_var("LUPREC");
    prec = v ? static_cast<int>(v->i) : 4;
  }
  return cad::copy_wide(cad::distance_text(val, cad::linear_units(unit), prec), str, len) ? RTNORM
                                                                                          : RTERROR;
}

// System variables through the C interface. Names ignore case. Integers come back as RTSHORT
// (or RTLONG for 32-bit variables), reals as RTREAL, text as RTSTR (the caller releases the
// string), points as RT3DPOINT. acedSetVar takes the same types, an integer for a real variable,
// and a 2D point (z 0) for a point; read-only variables and values of another type are refused.
//
// CLAYER must name a layer of the drawing that is not frozen. Setting a dimension variable to a
// value that differs from the current dimension style's makes the style "*UNNAMED", as the
// host does when dimension variables are overridden.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "cad/ads/bridge.h"
#include "host/adslib.h"

namespace cad {
namespace {

// The value a dimension style entry holds for a dimension variable (the variable's default
// when the entry does not list it). Text styles and arrow blocks are kept as handles and
// compared by the name of what they point to.
VarValue style_value(const Database& db, const Record& style, const SysVarInfo& info) {
  const Group* g = style.find(info.dimstyle_code);
  if (!g) return sysvar_default(info);
  switch (info.type) {
    case VarType::kReal:
      return VarValue::real(g->x);
    case VarType::kShort:
    case VarType::kLong:
      return VarValue::integer(g->i, info.type);
    case VarType::kString: {
      if (group_type(g->code) != GroupType::kHandle) return VarValue::text(g->s);
      RecordId target = db.find_handle(g->s);
      return VarValue::text(target == kNoRecord ? "" : std::string(db.record(target).text(2)));
    }
    case VarType::kPoint:
      break;
  }
  return VarValue::point(g->pt());
}

bool same_value(const VarValue& a, const VarValue& b) {
  switch (a.type) {
    case VarType::kReal:
      return std::abs(a.r - b.r) <= 1e-12 * std::max(1.0, std::abs(a.r));
    case VarType::kString:
      return iequals(a.s, b.s);
    case VarType::kShort:
    case VarType::kLong:
      return a.i == b.i;
    case VarType::kPoint:
      break;
  }
  return a == b;
}

void mark_style_overridden(Database& db, const SysVarInfo& info, const VarValue& value) {
  auto current = db.get_var("DIMSTYLE");
  if (!current || current->s == "*UNNAMED") return;
  RecordId style = db.table_entry("DIMSTYLE", current->s);
  if (style == kNoRecord) return;
  if (same_value(style_value(db, db.record(style), info), value)) return;
  db.set_var("DIMSTYLE", VarValue::text("*UNNAMED"), true);
}

// The layer's name as the table writes it, when the layer exists and is not frozen.
std::optional<std::string> usable_layer(const Database& db, std::string_view name) {
  RecordId layer = db.table_entry("LAYER", name);
  if (layer == kNoRecord || (db.record(layer).integer(70) & 1) != 0) return std::nullopt;
  return std::string(db.record(layer).text(2));
}

}  // namespace
}  // namespace cad

extern "C" {

int acedGetVar(const ACHAR* sym, resbuf* result) {
  if (!sym || !result) return RTERROR;
  auto value = cad::host().get_var(cad::to_utf8(sym));
  if (!value) return RTERROR;
  switch (value->type) {
    case cad::VarType::kShort:
      result->restype = RTSHORT;
      result->resval.rint = static_cast<short>(value->i);
      break;
    case cad::VarType::kLong:
      result->restype = RTLONG;
      result->resval.rlong = static_cast<int32_t>(value->i);
      break;
    case cad::VarType::kReal:
      result->restype = RTREAL;
      result->resval.rreal = value->r;
      break;
    case cad::VarType::kString:
      result->restype = RTSTR;
      result->resval.rstring = cad::new_wide(value->s);
      break;
    case cad::VarType::kPoint:
      result->restype = RT3DPOINT;
      cad::from_vec(value->p, result->resval.rpoint);
      break;
  }
  return RTNORM;
}

int acedSetVar(const ACHAR* sym, const resbuf* val) {
  if (!sym || !val) return RTERROR;
  std::string name = cad::to_utf8(sym);
  const cad::SysVarInfo* info = cad::sysvar_info(name);
  if (!info || info->read_only) return RTERROR;
  cad::VarValue value;
  switch (val->restype) {
    case RTSHORT:
    case RTLONG: {
      int64_t i = val->restype == RTSHORT ? val->resval.rint : val->resval.rlong;
      value = info->type == cad::VarType::kReal ? cad::VarValue::real(static_cast<double>(i))
                                                : cad::VarValue::integer(i, info->type);
      break;
    }
    case RTREAL:
    case RTANG:
      value = cad::VarValue::real(val->resval.rreal);
      break;
    case RTSTR:
      value = cad::VarValue::text(cad::to_utf8(val->resval.rstring));
      break;
    case RTPOINT:
      value = cad::VarValue::point({val->resval.rpoint[X], val->resval.rpoint[Y], 0});
      break;
    case RT3DPOINT:
      value = cad::VarValue::point(cad::to_vec(val->resval.rpoint));
      break;
    default:
      return RTERROR;
  }
  cad::Database& db = cad::host().db();
  if (cad::iequals(info->name, "CLAYER")) {
    auto layer = cad::usable_layer(db, value.s);
    if (!layer) return RTERROR;
    value.s = *layer;
  }
  if (!db.set_var(info->name, value)) return RTERROR;
  if (info->dimstyle_code != 0) cad::mark_style_overridden(db, *info, value);
  return RTNORM;
}

}  // extern "C"

// System variables through the C interface. Names ignore case. Integers come back as RTSHORT
// (or RTLONG for 32-bit variables), reals as RTREAL, text as RTSTR (the caller releases the
// string), points as RT3DPOINT. acedSetVar takes the same types, an integer for a real variable,
// and a 2D point (z 0) for a point; read-only variables and values of another type are refused.
//
// CLAYER must name a layer of the drawing that is not frozen. Setting a dimension variable to a
// value that differs from the current dimension style's makes the style "*UNNAMED", as the
// host does when dimension variables are overridden.
#include <optional>
#include <string>

#include "cad/ads/bridge.h"
#include "cad/base/text.h"
#include "cad/dims/style_table.h"
#include "cad/types/flags.h"
#include "host/adslib.h"

namespace cad {
namespace {

// The layer's name as the table writes it, when the layer exists and is not frozen.
std::optional<std::string> usable_layer(const Database& db, std::string_view name) {
  RecordId layer = db.table_entry("LAYER", name);
  if (layer == kNoRecord || layer_frozen(db.record(layer))) return std::nullopt;
  return std::string(db.record(layer).text(2));
}

}  // namespace
}  // namespace cad

int acedGetVar(const ACHAR* sym, resbuf* result) {
  if (!sym || !result) return RTERROR;
  auto value = cad::host().get_var(cad::to_utf8(sym));
  if (!value) return RTERROR;
  if (value->type == cad::VarType::kString && cad::fault(cad::FaultKind::kAllocation, __func__))
    return RTERROR;
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
  cad::note_dim_var_set(db, info->name);
  return RTNORM;
}

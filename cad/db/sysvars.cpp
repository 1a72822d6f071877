#include "cad/db/sysvars.h"

#include <array>
#include <bit>

#include "cad/base/text.h"
#include "cad/db/indexes.h"
#include "cad/db/record.h"

namespace cad {

namespace {

constexpr VarType S = VarType::kShort;
constexpr VarType R = VarType::kReal;
constexpr VarType T = VarType::kString;
constexpr VarType P = VarType::kPoint;

// Dimension variables first (in DIMSTYLE order), the others after them. Defaults are the
// host's metric ones; a new drawing's template sets its own.
constexpr std::array kVars = {
    SysVarInfo{"DIMPOST", T, 1, 3, 0, 0, "", false},
    SysVarInfo{"DIMAPOST", T, 1, 4, 0, 0, "", false},
    SysVarInfo{"DIMSCALE", R, 40, 40, 1.0, 0, "", false},
    SysVarInfo{"DIMASZ", R, 40, 41, 2.5, 0, "", false},
    SysVarInfo{"DIMEXO", R, 40, 42, 0.625, 0, "", false},
    SysVarInfo{"DIMDLI", R, 40, 43, 3.75, 0, "", false},
    SysVarInfo{"DIMEXE", R, 40, 44, 1.25, 0, "", false},
    SysVarInfo{"DIMRND", R, 40, 45, 0.0, 0, "", false},
    SysVarInfo{"DIMDLE", R, 40, 46, 0.0, 0, "", false},
    SysVarInfo{"DIMTP", R, 40, 47, 0.0, 0, "", false},
    SysVarInfo{"DIMTM", R, 40, 48, 0.0, 0, "", false},
    SysVarInfo{"DIMFXL", R, 40, 49, 1.0, 0, "", false},
    SysVarInfo{"DIMTXT", R, 40, 140, 2.5, 0, "", false},
    SysVarInfo{"DIMCEN", R, 40, 141, 2.5, 0, "", false},
    SysVarInfo{"DIMTSZ", R, 40, 142, 0.0, 0, "", false},
    SysVarInfo{"DIMALTF", R, 40, 143, 0.0394, 0, "", false},
    SysVarInfo{"DIMLFAC", R, 40, 144, 1.0, 0, "", false},
    SysVarInfo{"DIMTVP", R, 40, 145, 0.0, 0, "", false},
    SysVarInfo{"DIMTFAC", R, 40, 146, 1.0, 0, "", false},
    SysVarInfo{"DIMGAP", R, 40, 147, 0.625, 0, "", false},
    SysVarInfo{"DIMALTRND", R, 40, 148, 0.0, 0, "", false},
    SysVarInfo{"DIMTOL", S, 70, 71, 0, 0, "", false},
    SysVarInfo{"DIMLIM", S, 70, 72, 0, 0, "", false},
    SysVarInfo{"DIMTIH", S, 70, 73, 0, 0, "", false},
    SysVarInfo{"DIMTOH", S, 70, 74, 0, 0, "", false},
    SysVarInfo{"DIMSE1", S, 70, 75, 0, 0, "", false},
    SysVarInfo{"DIMSE2", S, 70, 76, 0, 0, "", false},
    SysVarInfo{"DIMTAD", S, 70, 77, 0, 1, "", false},
    SysVarInfo{"DIMZIN", S, 70, 78, 0, 8, "", false},
    SysVarInfo{"DIMAZIN", S, 70, 79, 0, 0, "", false},
    SysVarInfo{"DIMALT", S, 70, 170, 0, 0, "", false},
    SysVarInfo{"DIMALTD", S, 70, 171, 0, 3, "", false},
    SysVarInfo{"DIMTOFL", S, 70, 172, 0, 1, "", false},
    SysVarInfo{"DIMSAH", S, 70, 173, 0, 0, "", false},
    SysVarInfo{"DIMTIX", S, 70, 174, 0, 0, "", false},
    SysVarInfo{"DIMSOXD", S, 70, 175, 0, 0, "", false},
    SysVarInfo{"DIMCLRD", S, 70, 176, 0, 0, "", false},
    SysVarInfo{"DIMCLRE", S, 70, 177, 0, 0, "", false},
    SysVarInfo{"DIMCLRT", S, 70, 178, 0, 0, "", false},
    SysVarInfo{"DIMADEC", S, 70, 179, 0, 0, "", false},
    SysVarInfo{"DIMDEC", S, 70, 271, 0, 2, "", false},
    SysVarInfo{"DIMTDEC", S, 70, 272, 0, 2, "", false},
    SysVarInfo{"DIMALTU", S, 70, 273, 0, 2, "", false},
    SysVarInfo{"DIMALTTD", S, 70, 274, 0, 3, "", false},
    SysVarInfo{"DIMAUNIT", S, 70, 275, 0, 0, "", false},
    SysVarInfo{"DIMFRAC", S, 70, 276, 0, 0, "", false},
    SysVarInfo{"DIMLUNIT", S, 70, 277, 0, 2, "", false},
    SysVarInfo{"DIMDSEP", S, 70, 278, 0, 46, "", false},
    SysVarInfo{"DIMTMOVE", S, 70, 279, 0, 0, "", false},
    SysVarInfo{"DIMJUST", S, 70, 280, 0, 0, "", false},
    SysVarInfo{"DIMSD1", S, 70, 281, 0, 0, "", false},
    SysVarInfo{"DIMSD2", S, 70, 282, 0, 0, "", false},
    SysVarInfo{"DIMTOLJ", S, 70, 283, 0, 0, "", false},
    SysVarInfo{"DIMTZIN", S, 70, 284, 0, 8, "", false},
    SysVarInfo{"DIMALTZ", S, 70, 285, 0, 0, "", false},
    SysVarInfo{"DIMALTTZ", S, 70, 286, 0, 0, "", false},
    SysVarInfo{"DIMUPT", S, 70, 288, 0, 0, "", false},
    SysVarInfo{"DIMATFIT", S, 70, 289, 0, 3, "", false},
    SysVarInfo{"DIMFXLON", S, 70, 290, 0, 0, "", false},
    SysVarInfo{"DIMTXSTY", T, 7, 340, 0, 0, "Standard", false},
    SysVarInfo{"DIMLDRBLK", T, 1, 341, 0, 0, "", false},
    SysVarInfo{"DIMBLK", T, 1, 342, 0, 0, "", false},
    SysVarInfo{"DIMBLK1", T, 1, 343, 0, 0, "", false},
    SysVarInfo{"DIMBLK2", T, 1, 344, 0, 0, "", false},
    SysVarInfo{"DIMLWD", S, 70, 371, 0, -2, "", false},
    SysVarInfo{"DIMLWE", S, 70, 372, 0, -2, "", false},
    // Not part of a dimension style.
    SysVarInfo{"DIMASO", S, 70, 0, 0, 1, "", false},
    SysVarInfo{"DIMSHO", S, 70, 0, 0, 1, "", false},
    SysVarInfo{"DIMSTYLE", T, 2, 0, 0, 0, "STANDARD", true},
    SysVarInfo{"CLAYER", T, 8, 0, 0, 0, "0", false},
    SysVarInfo{"CELTYPE", T, 6, 0, 0, 0, "BYLAYER", false},
    SysVarInfo{"CECOLOR", S, 62, 0, 0, 256, "", false},
    SysVarInfo{"TEXTSTYLE", T, 7, 0, 0, 0, "Standard", false},
    SysVarInfo{"TEXTSIZE", R, 40, 0, 2.5, 0, "", false},
    SysVarInfo{"LTSCALE", R, 40, 0, 1.0, 0, "", false},
    SysVarInfo{"ELEVATION", R, 40, 0, 0.0, 0, "", false},
    SysVarInfo{"THICKNESS", R, 40, 0, 0.0, 0, "", false},
    SysVarInfo{"LUNITS", S, 70, 0, 0, 2, "", false},
    SysVarInfo{"LUPREC", S, 70, 0, 0, 4, "", false},
    SysVarInfo{"AUNITS", S, 70, 0, 0, 0, "", false},
    SysVarInfo{"AUPREC", S, 70, 0, 0, 0, "", false},
    SysVarInfo{"ANGBASE", R, 50, 0, 0.0, 0, "", false},
    SysVarInfo{"ANGDIR", S, 70, 0, 0, 0, "", false},
    SysVarInfo{"INSUNITS", S, 70, 0, 0, 6, "", false},
    SysVarInfo{"MEASUREMENT", S, 70, 0, 0, 1, "", false},
    SysVarInfo{"ORTHOMODE", S, 70, 0, 0, 0, "", false},
    SysVarInfo{"PDMODE", S, 70, 0, 0, 0, "", false},
    SysVarInfo{"PDSIZE", R, 40, 0, 0.0, 0, "", false},
    SysVarInfo{"MIRRTEXT", S, 70, 0, 0, 0, "", false},
    SysVarInfo{"EXTMIN", P, 10, 0, 0, 0, "", true},
    SysVarInfo{"EXTMAX", P, 10, 0, 0, 0, "", true},
    SysVarInfo{"UCSORG", P, 10, 0, 0, 0, "", true},
    SysVarInfo{"UCSXDIR", P, 10, 0, 0, 0, "", true},
    SysVarInfo{"UCSYDIR", P, 10, 0, 0, 0, "", true},
    SysVarInfo{"ACADVER", T, 1, 0, 0, 0, "AC1027", true},
    SysVarInfo{"DWGCODEPAGE", T, 3, 0, 0, 0, "ANSI_1252", true},
    SysVarInfo{"HANDSEED", T, 5, 0, 0, 0, "1", true},
    // Session only.
    SysVarInfo{"CMDECHO", S, 0, 0, 0, 1, "", false},
    SysVarInfo{"OSMODE", S, 0, 0, 0, 0, "", false},
    SysVarInfo{"UNDOCTL", S, 0, 0, 0, 53, "", true},
    SysVarInfo{"DBMOD", S, 0, 0, 0, 0, "", true},
    SysVarInfo{"LASTPOINT", P, 0, 0, 0, 0, "", false},
    SysVarInfo{"PICKBOX", S, 0, 0, 0, 3, "", false},
    SysVarInfo{"FILEDIA", S, 0, 0, 0, 1, "", false},
    SysVarInfo{"CMDDIA", S, 0, 0, 0, 1, "", false},
    SysVarInfo{"EXPERT", S, 0, 0, 0, 0, "", false},
    SysVarInfo{"WORLDUCS", S, 0, 0, 0, 1, "", true},
};

}  // namespace

const SysVarInfo* sysvar_info(std::string_view name) {
  // Every dimension drawn reads dozens of variables by name: an open table of twice the
  // variables' number, each slot holding a variable's hash beside it, so that a lookup hashes
  // the name once and compares names only where the hashes agree.
  struct Slot {
    size_t hash = 0;
    const SysVarInfo* info = nullptr;
  };
  constexpr size_t kSlots = std::bit_ceil(2 * kVars.size());
  static const auto* const table = [] {
    auto* slots = new std::array<Slot, kSlots>();
    for (const SysVarInfo& info : kVars) {
      const size_t hash = NoCaseHash{}(info.name);
      size_t k = hash & (kSlots - 1);
      while ((*slots)[k].info != nullptr) k = (k + 1) & (kSlots - 1);
      (*slots)[k] = {hash, &info};
    }
    return slots;
  }();
  const size_t hash = NoCaseHash{}(name);
  for (size_t k = hash & (kSlots - 1);; k = (k + 1) & (kSlots - 1)) {
    const Slot& slot = (*table)[k];
    if (slot.info == nullptr) return nullptr;
    if (slot.hash == hash && iequals(slot.info->name, name)) return slot.info;
  }
}

std::span<const SysVarInfo> all_sysvars() { return kVars; }

std::span<const SysVarInfo> dim_vars() { return std::span(kVars).first(kDimVarCount); }

VarValue sysvar_default(const SysVarInfo& info) {
  switch (info.type) {
    case VarType::kReal:
      return VarValue::real(info.real_default);
    case VarType::kString:
      return VarValue::text(info.text_default);
    case VarType::kPoint:
      return VarValue::point({});
    case VarType::kShort:
    case VarType::kLong:
      break;
  }
  return VarValue::integer(info.int_default, info.type);
}

VarValue var_value(const Group& g, VarType type) {
  switch (type) {
    case VarType::kReal:
      return VarValue::real(g.x());
    case VarType::kString:
      return VarValue::text(std::string(g.s()));
    case VarType::kPoint:
      return VarValue::point(g.pt());
    case VarType::kShort:
    case VarType::kLong:
      break;
  }
  return VarValue::integer(g.i(), type);
}

}  // namespace cad

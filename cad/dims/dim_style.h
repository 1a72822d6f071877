// The values of every dimension variable as one set: read from the drawing's current variables or
// from a DIMSTYLE table entry, written back to either. Dimension graphics are drawn from such a
// set, and the host's DIM1 SAVE/RESTORE and the "*UNNAMED" rule compare them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"

namespace cad {

class DimStyleValues {
 public:
  // The host's defaults (metric).
  DimStyleValues();

  static DimStyleValues from_variables(const Database& db);
  // A group an entry leaves out holds the value a DIMSTYLE object starts with (the imperial one,
  // as files written by the real host rely on). Text style and arrow blocks are kept in the entry
  // as handles and come back as names.
  static DimStyleValues from_entry(const Database& db, const Record& entry);

  // Sets every dimension variable of the drawing (DIMSTYLE itself is not touched).
  void apply_to_variables(Database& db) const;
  // The groups of a DIMSTYLE entry after its name and flags, in the order the entry lists them;
  // names of text styles and blocks the drawing does not have are left out.
  std::vector<Group> entry_groups(const Database& db) const;

  // Applies the overrides a dimension keeps in its extended data, as the real host writes them:
  // application "ACAD", then "DSTYLE" and a list in braces of (1070 the variable's DIMSTYLE group
  // code, its value) pairs; text styles and arrow blocks are given by handle (1005). Pairs of a
  // code no variable has, or of a value of another kind, are passed over.
  void apply_overrides(const Database& db, const Record& dimension);

  // The place of a dimension variable in a set, for code that reads many values and would
  // otherwise look each name up every time. name must be a dimension variable.
  static size_t index_of(std::string_view name);
  const VarValue& at(size_t index) const { return values_[index]; }

  // name must be a dimension variable (a programming error otherwise).
  const VarValue& get(std::string_view name) const;
  void set(std::string_view name, const VarValue& value);
  double real(std::string_view name) const { return get(name).r; }
  int64_t integer(std::string_view name) const { return get(name).i; }
  const std::string& text(std::string_view name) const { return get(name).s; }

  // Reals compare within the rounding of a file.
  bool operator==(const DimStyleValues& other) const;

 private:
  // For sets filled right after: every dimension drawn reads one, and the defaults would be
  // made only to be written over.
  struct Unfilled {};
  explicit DimStyleValues(Unfilled) {}

  // In the order of dim_vars(); held in place, as every dimension drawn reads a set.
  std::array<VarValue, kDimVarCount> values_;
};

// Whether the value equals the one this style entry holds for that variable; name need not be a
// dimension variable (then false).
bool dimvar_matches_entry(const Database& db, const Record& entry, std::string_view name,
                          const VarValue& value);

}  // namespace cad

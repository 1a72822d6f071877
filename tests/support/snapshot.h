// One picture of a drawing to compare before and after anything that must leave it alone or give
// it back (an undo, a rollback, a refused call): every live record with every group, and, when
// taken of a host, the session's variables and the UCS too.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cad/ads/host.h"
#include "cad/base/text.h"
#include "cad/db/database.h"
#include "cad/db/sysvars.h"
#include "cad/dxf/compare.h"
#include "cad/dxf/complete.h"

namespace cad::testing {

class Snapshot {
 public:
  explicit Snapshot(const Database& db) : drawing_(copy_drawing(db)) {}
  explicit Snapshot(Host& host) : Snapshot(host.db()) {
    for (const SysVarInfo& info : all_sysvars()) {
      // Undo settings are not part of the drawing, and handles are never given twice.
      if (iequals(info.name, "UNDOCTL") || iequals(info.name, "HANDSEED")) continue;
      vars_.emplace_back(info.name, *host.get_var(info.name));
    }
    ucs_ = host.ucs();
  }

  // Empty when the same; otherwise the first difference.
  std::string diff(const Snapshot& other) const {
    if (std::string d = diff_records(*drawing_, *other.drawing_); !d.empty()) return d;
    if (vars_.size() != other.vars_.size()) return "variables taken of one host only";
    for (size_t k = 0; k < vars_.size(); ++k)
      if (!(vars_[k].second == other.vars_[k].second)) return "variable " + vars_[k].first;
    if (!(ucs_.origin == other.ucs_.origin && ucs_.x_axis == other.ucs_.x_axis &&
          ucs_.y_axis == other.ucs_.y_axis))
      return "UCS";
    return {};
  }

 private:
  std::unique_ptr<Database> drawing_;
  std::vector<std::pair<std::string, VarValue>> vars_;
  Ucs ucs_;
};

}  // namespace cad::testing

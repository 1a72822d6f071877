#include "cad/dxf/subclass.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include "cad/types/entity_types.h"

namespace cad {

namespace {

// Codes that belong to AcDbEntity rather than to the entity's own subclass.
constexpr std::array kEntityCodes = {67, 410, 8,   6,   347, 62,  370, 48,
                                     60, 92,  310, 420, 430, 440, 390, 284};

bool entity_code(int code) {
  return std::find(kEntityCodes.begin(), kEntityCodes.end(), code) != kEntityCodes.end();
}

// One subclass of a record's data: the groups whose codes it lists, or, for the one marked rest,
// every group no other subclass lists.
struct Subclass {
  std::string_view marker;
  std::vector<int> codes;
  bool rest = false;
};

struct Layout {
  bool entity = false;  // AcDbEntity comes first
  std::vector<Subclass> subclasses;
};

Subclass rest(std::string_view marker) { return {marker, {}, true}; }
Subclass only(std::string_view marker, std::initializer_list<int> codes) {
  return {marker, codes, false};
}

// The subclasses of a record's type; false for a type the host does not know.
bool layout_of(const Record& rec, Layout& layout) {
  const std::string& t = rec.type;
  layout.entity = true;
  auto& s = layout.subclasses;
  if (const EntityType* type = find_entity_type(t)) {
    if (!type->laid_out) return false;
    s.clear();
    for (const SubclassOfType& sub : type->subclasses) {
      const std::string_view marker = sub.by_flags ? sub.by_flags(rec.integer(70)) : sub.marker;
      if (!marker.empty())
        s.push_back({marker, std::vector<int>(sub.codes.begin(), sub.codes.end()), sub.rest});
    }
  } else if (t == "BLOCK") {
    s = {rest("AcDbBlockBegin")};
  } else if (t == "ENDBLK") {
    s = {rest("AcDbBlockEnd")};
  } else if (t == "TABLE") {
    layout.entity = false;
    s = {rest("AcDbSymbolTable")};
    if (rec.text(2) == "DIMSTYLE") s.push_back(only("AcDbDimStyleTable", {71, 340}));
  } else if (std::string_view cls = table_record_class(t); !cls.empty()) {
    layout.entity = false;
    s = {only("AcDbSymbolTableRecord", {}), rest(cls)};
  } else {
    return false;
  }
  return true;
}

// End of the groups that lead a record before its data: the handle, application groups
// ("{NAME" ... "}"), owner and extension dictionary (and a TABLE head's name, which comes first).
// The "102 }" closing the application group that opens at k, or npos when none closes it: such
// a group is only its opening group, so that what follows it is still read as it stands.
size_t group_close(const Record& rec, size_t k, size_t limit) {
  for (size_t close = k + 1; close < limit; ++close)
    if (rec.groups[close].code == 102 && rec.groups[close].s() == "}") return close;
  return std::string::npos;
}

size_t lead_end(const Record& rec, size_t limit) {
  int handle = rec.handle_code();
  bool table = rec.type == "TABLE";
  size_t k = 0;
  while (k < limit) {
    const Group& g = rec.groups[k];
    if (g.code == handle || g.code == 330 || g.code == 360 || (table && g.code == 2)) {
      ++k;
    } else if (g.code == 102 && g.s().starts_with("{")) {
      const size_t close = group_close(rec, k, limit);
      k = close == std::string::npos ? k + 1 : close + 1;
    } else {
      break;
    }
  }
  return k;
}

// Index of the owner among the leading groups (outside application groups), or npos. The lead
// as lead_end walks it, in the same pass: completing a drawing asks this of every record.
// Extended data never leads a record, so the lead ends before it without looking for it.
size_t owner_index(const Record& rec) {
  const int handle = rec.handle_code();
  const bool table = rec.type == "TABLE";
  for (size_t k = 0; k < rec.groups.size(); ++k) {
    const Group& g = rec.groups[k];
    if (g.code == 330) return k;
    if (g.code == handle || g.code == 360 || (table && g.code == 2)) continue;
    if (g.code != 102 || !g.s().starts_with("{")) break;
    // An application group without its end before the extended data counts as one group of
    // the lead, as lead_end takes it.
    const size_t close = group_close(rec, k, rec.xdata_begin());
    if (close != std::string::npos) k = close;
  }
  return std::string::npos;
}

}  // namespace

std::string_view table_record_class(std::string_view table) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kClasses = {{
      {"VPORT", "AcDbViewportTableRecord"},
      {"LTYPE", "AcDbLinetypeTableRecord"},
      {"LAYER", "AcDbLayerTableRecord"},
      {"STYLE", "AcDbTextStyleTableRecord"},
      {"VIEW", "AcDbViewTableRecord"},
      {"UCS", "AcDbUCSTableRecord"},
      {"APPID", "AcDbRegAppTableRecord"},
      {"DIMSTYLE", "AcDbDimStyleTableRecord"},
      {"BLOCK_RECORD", "AcDbBlockTableRecord"},
  }};
  for (const auto& [name, cls] : kClasses)
    if (name == table) return cls;
  return {};
}

bool needs_subclass_markers(const Record& rec) {
  for (const Group& g : rec.groups) {
    if (g.code == 100) return false;
    if (g.code == 1001) break;
  }
  Layout layout;
  return layout_of(rec, layout);
}

namespace {

// A point that came with fewer than three coordinates takes the lone coordinates that the layout
// put right after it, its y (its code + 10) and then its z, as a file written of the record would
// read them.
void join_coordinates(std::vector<Group>& groups) {
  for (size_t k = 0; k < groups.size(); ++k) {
    Group& g = groups[k];
    if (group_type(g.code) != GroupType::kPoint) continue;
    while (g.dims < 3 && k + 1 < groups.size() && groups[k + 1].code == g.code + 10 * g.dims) {
      const double value = groups[k + 1].x();
      if (g.dims == 1)
        g.set_y(value);
      else
        g.set_z(value);
      ++g.dims;
      groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(k) + 1);
    }
  }
}

}  // namespace

bool add_subclass_markers(Record& rec) {
  if (!needs_subclass_markers(rec)) return false;
  size_t xdata = rec.xdata_begin();
  Layout layout;
  layout_of(rec, layout);
  size_t lead = lead_end(rec, xdata);

  std::vector<Group> entity;
  std::vector<std::vector<Group>> parts(layout.subclasses.size());
  size_t rest_part = 0;
  for (size_t p = 0; p < layout.subclasses.size(); ++p)
    if (layout.subclasses[p].rest) rest_part = p;
  for (size_t k = lead; k < xdata; ++k) {
    Group& g = rec.groups[k];
    size_t target = layout.subclasses.size();
    for (size_t p = 0; p < layout.subclasses.size() && target == layout.subclasses.size(); ++p) {
      const std::vector<int>& codes = layout.subclasses[p].codes;
      if (std::find(codes.begin(), codes.end(), g.code) != codes.end()) target = p;
    }
    if (target < parts.size())
      parts[target].push_back(std::move(g));
    else if (layout.entity && entity_code(g.code))
      entity.push_back(std::move(g));
    else if (!parts.empty())
      parts[rest_part].push_back(std::move(g));
    else
      entity.push_back(std::move(g));
  }

  std::vector<Group> out;
  out.reserve(rec.groups.size() + parts.size() + 1);
  std::move(rec.groups.begin(), rec.groups.begin() + static_cast<std::ptrdiff_t>(lead),
            std::back_inserter(out));
  if (layout.entity) {
    out.push_back(Group::text(100, "AcDbEntity"));
    std::move(entity.begin(), entity.end(), std::back_inserter(out));
  }
  for (size_t p = 0; p < parts.size(); ++p) {
    out.push_back(Group::text(100, std::string(layout.subclasses[p].marker)));
    std::move(parts[p].begin(), parts[p].end(), std::back_inserter(out));
  }
  join_coordinates(out);
  std::move(rec.groups.begin() + static_cast<std::ptrdiff_t>(xdata), rec.groups.end(),
            std::back_inserter(out));
  rec.groups = std::move(out);
  return true;
}

std::string_view owner_of(const Record& rec) {
  size_t k = owner_index(rec);
  return k == std::string::npos ? std::string_view() : std::string_view(rec.groups[k].s());
}

bool add_owner(Record& rec, std::string_view owner) {
  if (const size_t k = owner_index(rec); k != std::string::npos) {
    if (!rec.groups[k].s().empty()) return false;
    rec.groups[k].set_s(std::string(owner));
    return true;
  }
  size_t at = lead_end(rec, rec.xdata_begin());
  Group g;
  g.code = 330;
  g.set_s(std::string(owner));
  rec.groups.insert(rec.groups.begin() + static_cast<std::ptrdiff_t>(at), std::move(g));
  return true;
}

bool r12_table_group(std::string_view table, int code) {
  auto in = [code](std::initializer_list<int> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  if (code == 2 || code == 70) return true;
  if (table == "LAYER") return in({62, 6});
  if (table == "LTYPE") return in({3, 72, 73, 40, 49});
  if (table == "STYLE") return in({40, 41, 50, 71, 42, 3, 4});
  if (table == "VIEW") return in({40, 10, 41, 11, 12, 42, 43, 44, 50, 71});
  if (table == "UCS") return in({10, 11, 12});
  if (table == "VPORT")
    return (code >= 10 && code <= 17) || (code >= 40 && code <= 44) || code == 50 || code == 51 ||
           (code >= 71 && code <= 78);
  if (table == "DIMSTYLE")
    return (code >= 3 && code <= 7) || (code >= 40 && code <= 48) || (code >= 140 && code <= 147) ||
           (code >= 71 && code <= 78) || (code >= 170 && code <= 178);
  return table != "APPID";
}

namespace {

// Whether R12 lacks a group of this record that is none of the groups every later version adds
// (subclass markers, owners, application groups), which r13_groups drops from every record.
// entity is the record's entity type, as find_entity_type gives it.
bool r12_lacks(const Record& rec, const EntityType* entity, int code) {
  const std::string_view type = rec.type;
  if (!table_record_class(type).empty())
    return code != rec.handle_code() && !r12_table_group(type, code);
  if (type == "TABLE" || type == "BLOCK" || type == "ENDBLK") return false;
  return !r12_has_group(entity, code);
}

// Which groups before the extended data R12 does not know; empty when there are none.
std::vector<bool> r13_groups(const Record& rec) {
  size_t xdata = rec.xdata_begin();
  std::vector<bool> drop(xdata, false);
  bool any = false;
  int depth = 0;
  const EntityType* entity = find_entity_type(rec.type);
  for (size_t k = 0; k < xdata; ++k) {
    const Group& g = rec.groups[k];
    bool app_group = g.code == 102;
    if (app_group) depth += g.s().starts_with("{") ? 1 : g.s() == "}" ? -1 : 0;
    drop[k] = app_group || depth > 0 || g.code == 100 || g.code == 330 || g.code == 360 ||
              r12_lacks(rec, entity, g.code);
    any = any || drop[k];
  }
  if (!any) drop.clear();
  return drop;
}

}  // namespace

bool has_r13_groups(const Record& rec) { return !r13_groups(rec).empty(); }

bool strip_to_r12(Record& rec) {
  std::vector<bool> drop = r13_groups(rec);
  if (drop.empty()) return false;
  size_t xdata = drop.size();
  std::vector<Group> kept;
  kept.reserve(rec.groups.size());
  for (size_t k = 0; k < rec.groups.size(); ++k)
    if (k >= xdata || !drop[k]) kept.push_back(std::move(rec.groups[k]));
  rec.groups = std::move(kept);
  return true;
}

}  // namespace cad

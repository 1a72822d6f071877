#include "cad/dxf/references.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "cad/base/text.h"
#include "cad/dxf/complete.h"

namespace cad {

namespace {

using Kind = ReferenceNames::Kind;

struct KindInfo {
  int code;
  std::string_view table;  // empty for blocks
  std::string_view what;   // in notes, one of them
};

constexpr std::array<KindInfo, ReferenceNames::kKinds> kInfo = {{
    {8, "LAYER", "layer"},
    {6, "LTYPE", "linetype"},
    {7, "STYLE", "text style"},
    {3, "DIMSTYLE", "dimension style"},
    {2, "", "block"},
}};

bool text_entity(std::string_view type) {
  return type == "TEXT" || type == "MTEXT" || type == "ATTDEF" || type == "ATTRIB";
}
bool styled_by_dimstyle(std::string_view type) {
  return type == "DIMENSION" || type == "LEADER" || type == "TOLERANCE";
}
bool block_reference(std::string_view type) { return type == "INSERT" || type == "DIMENSION"; }

// The groups of rec that name something, by kind; null for a kind it names nothing of.
std::array<const Group*, ReferenceNames::kKinds> named_groups(const Record& rec) {
  const std::string_view type = rec.type;
  const bool style = text_entity(type);
  const bool dimstyle = styled_by_dimstyle(type);
  const bool block = block_reference(type);
  std::array<const Group*, ReferenceNames::kKinds> out{};
  for (const Group& g : rec.groups) {
    if (g.code == 1001) break;  // extended data begins
    Kind kind = ReferenceNames::kKinds;
    if (g.code == 8)
      kind = ReferenceNames::kLayer;
    else if (g.code == 6)
      kind = ReferenceNames::kLinetype;
    else if (g.code == 7 && style)
      kind = ReferenceNames::kTextStyle;
    else if (g.code == 3 && dimstyle)
      kind = ReferenceNames::kDimStyle;
    else if (g.code == 2 && block)
      kind = ReferenceNames::kBlock;
    if (kind != ReferenceNames::kKinds && !out[kind]) out[kind] = &g;
  }
  return out;
}

bool by_parent(std::string_view linetype) {
  return iequals(linetype, "BYLAYER") || iequals(linetype, "BYBLOCK");
}

bool held(const Database& db, Kind kind, std::string_view name) {
  if (kind == ReferenceNames::kLinetype && by_parent(name)) return true;
  if (kind == ReferenceNames::kBlock) return name.empty() || db.block_index(name) != Database::npos;
  return !name.empty() && db.table_entry(kInfo[kind].table, name) != kNoRecord;
}

// "A, B, C and 4 more": the names of a note, sorted, at most five of them.
std::string listed(const std::vector<std::string>& names) {
  constexpr size_t kShown = 5;
  std::string out;
  for (size_t k = 0; k < std::min(names.size(), kShown); ++k)
    out += (k == 0 ? "" : ", ") + (names[k].empty() ? std::string("\"\"") : names[k]);
  if (names.size() > kShown) out += " and " + std::to_string(names.size() - kShown) + " more";
  return out;
}

// "1 layer", "2 layers".
std::string counted(size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}
std::string counted(size_t n, Kind kind) {
  const std::string one(kInfo[kind].what);
  return counted(n, one, one + "s");
}

Record layer_entry(std::string_view name, bool r12) {
  return Record{"LAYER",
                {Group::text(2, std::string(name)), Group::integer(70, 0), Group::integer(62, 7),
                 Group::text(6, r12 ? "CONTINUOUS" : "Continuous")}};
}

void add_empty_block(Database& db, std::string_view name) {
  const bool anonymous = name.front() == '*';
  Record begin{"BLOCK",
               {Group::text(8, "0"), Group::text(2, std::string(name)),
                Group::integer(70, anonymous ? 1 : 0), Group::point(10, {0, 0, 0}),
                Group::text(3, std::string(name)), Group::text(1, "")}};
  db.add_block(std::move(begin), Record{"ENDBLK", {Group::text(8, "0")}});
}

// Gives every entity that names a missing text style, dimension style or linetype, or an empty
// layer, its fallback; the count changed by kind.
std::array<size_t, ReferenceNames::kKinds> give_fallbacks(
    Database& db,
    const std::array<std::unordered_set<std::string>, ReferenceNames::kKinds>& missing,
    const std::array<std::string, ReferenceNames::kKinds>& fallback) {
  std::array<size_t, ReferenceNames::kKinds> changed{};
  auto fix = [&](RecordId id) {
    const Record& rec = db.record(id);
    const auto groups = named_groups(rec);
    Record out;
    bool any = false;
    for (Kind kind : {ReferenceNames::kLayer, ReferenceNames::kLinetype, ReferenceNames::kTextStyle,
                      ReferenceNames::kDimStyle}) {
      const Group* g = groups[kind];
      if (!g || !missing[kind].count(std::string(g->s()))) continue;
      // The layers missing are made; only an empty name needs another.
      if (kind == ReferenceNames::kLayer && !g->s().empty()) continue;
      if (!any) out = rec;
      any = true;
      ++changed[kind];
      // In its place: a group left out would join the groups around it, a point's coordinates
      // for one.
      const size_t at = static_cast<size_t>(g - rec.groups.data());
      out.groups[at] = Group::text(g->code, fallback[kind]);
    }
    if (!any) return;
    db.replace(id, std::move(out));
  };
  for (const Block& block : db.blocks())
    for (RecordId id : block.entities) fix(id);
  for (RecordId id : db.entities()) fix(id);
  return changed;
}

}  // namespace

bool references_held(const Database& db, const Record& rec) {
  const auto groups = named_groups(rec);
  for (Kind kind : {ReferenceNames::kLinetype, ReferenceNames::kTextStyle,
                    ReferenceNames::kDimStyle, ReferenceNames::kBlock})
    if (groups[kind] && !held(db, kind, groups[kind]->s())) return false;
  return true;
}

std::vector<std::string> missing_references(const Database& db) {
  std::vector<std::string> out;
  auto check = [&](RecordId id) {
    if (db.erased(id)) return;
    const Record& rec = db.record(id);
    const auto groups = named_groups(rec);
    for (size_t kind = 0; kind < ReferenceNames::kKinds; ++kind) {
      const Group* g = groups[kind];
      if (!g || held(db, static_cast<Kind>(kind), g->s())) continue;
      out.push_back(rec.type + "(" + handle_text(rec.handle()) + ") " +
                    std::string(kInfo[kind].what) + " \"" + std::string(g->s()) + "\" missing");
    }
  };
  for (const Block& block : db.blocks())
    for (RecordId id : block.entities) check(id);
  for (RecordId id : db.entities()) check(id);
  return out;
}

void ReferenceNames::note(Kind kind, std::string_view name) {
  if (seen_[kind] && name == last_[kind]) return;
  seen_[kind] = true;
  last_[kind].assign(name);
  names_[kind].insert(last_[kind]);
}

void ReferenceNames::take(const Record& rec) {
  const auto groups = named_groups(rec);
  for (size_t kind = 0; kind < kKinds; ++kind)
    if (groups[kind]) note(static_cast<Kind>(kind), groups[kind]->s());
}

void ReferenceNames::settle(Database& db, std::vector<std::string>& notes) const {
  std::array<std::unordered_set<std::string>, kKinds> missing;
  bool any = false;
  for (size_t kind = 0; kind < kKinds; ++kind) {
    for (const std::string& name : names_[kind]) {
      if (held(db, static_cast<Kind>(kind), name)) continue;
      missing[kind].insert(name);
      any = true;
    }
  }
  if (!any) return;
  const bool r12 = r12_form(drawing_version(db));
  auto sorted = [](const std::unordered_set<std::string>& names) {
    std::vector<std::string> out(names.begin(), names.end());
    std::sort(out.begin(), out.end());
    return out;
  };

  std::vector<std::string> made_layers;
  for (const std::string& name : sorted(missing[kLayer]))
    if (!name.empty()) made_layers.push_back(name);
  if (!made_layers.empty()) {
    const size_t table = db.table_index("LAYER");
    for (const std::string& name : made_layers) db.add_table_entry(table, layer_entry(name, r12));
    notes.push_back("entities name " + counted(made_layers.size(), kLayer) +
                    " the LAYER table lacks: made (" + listed(made_layers) + ")");
  }
  const std::vector<std::string> blocks = sorted(missing[kBlock]);
  for (const std::string& name : blocks) add_empty_block(db, name);
  if (!blocks.empty())
    notes.push_back("entities name " + counted(blocks.size(), kBlock) +
                    " the drawing lacks: made empty (" + listed(blocks) + ")");

  // Entries every completed drawing has, spelt as the drawing spells them.
  std::array<std::string, kKinds> fallback;
  auto spelt = [&](Kind kind, const char* name) {
    const RecordId entry = db.table_entry(kInfo[kind].table, name);
    return entry != kNoRecord ? std::string(db.record(entry).text(2)) : std::string(name);
  };
  fallback[kLayer] = "0";
  fallback[kLinetype] = spelt(kLinetype, "BYLAYER");
  for (Kind kind : {kTextStyle, kDimStyle}) fallback[kind] = spelt(kind, "STANDARD");
  const std::array<size_t, kKinds> changed = give_fallbacks(db, missing, fallback);
  for (Kind kind : {kLayer, kLinetype, kTextStyle, kDimStyle}) {
    if (changed[kind] == 0) continue;
    if (kind == kLayer) {
      notes.push_back(counted(changed[kind], "entity has", "entities have") +
                      " an empty layer name: \"0\" instead");
      continue;
    }
    const std::vector<std::string> names = sorted(missing[kind]);
    const std::string instead =
        kind == kLinetype ? "by layer instead" : "\"" + fallback[kind] + "\" instead";
    notes.push_back(counted(changed[kind], "entity names", "entities name") + " " +
                    counted(names.size(), kind) + " the drawing lacks (" + listed(names) +
                    "): " + instead);
  }
  // The entries and blocks made get what the version needs: handles, owners, block records.
  complete_drawing(db);
}

}  // namespace cad

#include "cad/dxf/audit.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "cad/base/text.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/references.h"
#include "cad/geom/coords.h"
#include "cad/types/entity_types.h"

namespace cad {

namespace {

// The module's tolerances for dimensions on one line: an angle in radians, a distance across.
constexpr double kAngleTolerance = 0.001;
constexpr double kPointTolerance = 0.001;

// A record as the real host's AUDIT names it: "LINE(2A)".
std::string named(const Record& rec) { return rec.type + "(" + handle_text(rec.handle()) + ")"; }

// An owner to set: the record and the handle text it must name.
struct OwnerFault {
  RecordId id;
  std::string owner;
};

void check_owners(const Database& db, std::vector<std::string>& faults,
                  std::vector<OwnerFault>& wrong) {
  auto check = [&](RecordId id, const std::string& owner) {
    if (db.erased(id) || owner.empty()) return;
    const Record& rec = db.record(id);
    const Group* g = rec.find(330);
    if (!g || iequals(trim(g->s()), owner)) return;
    faults.push_back(named(rec) + " owner " + std::string(g->s()) + " instead of " + owner);
    wrong.push_back({id, owner});
  };
  auto space_record = [&](std::string_view block) {
    const RecordId entry = db.table_entry("BLOCK_RECORD", block);
    return entry == kNoRecord ? std::string() : handle_text(db.record(entry).handle());
  };
  auto entities = [&](const std::vector<RecordId>& ids, const std::string& space,
                      const std::string& paper) {
    std::string main;
    for (RecordId id : ids) {
      const Record& rec = db.record(id);
      if (is_entity_part(rec.type) && !main.empty()) {
        check(id, main);
        continue;
      }
      check(id, rec.integer(67) == 1 ? paper : space);
      main = handle_text(rec.handle());
    }
  };
  for (const Table& table : db.tables()) {
    const std::string head = handle_text(db.record(table.head).handle());
    for (RecordId id : table.entries) check(id, head);
  }
  for (const Block& block : db.blocks()) {
    const std::string owner = space_record(db.record(block.begin).text(2));
    entities(block.entities, owner, owner);
  }
  entities(db.entities(), space_record("*Model_Space"), space_record("*Paper_Space"));
}

// Records with a number that is not finite.
std::vector<RecordId> non_finite(const Database& db, std::vector<std::string>& faults) {
  std::vector<RecordId> out;
  for (RecordId id = 0; id < db.slot_count(); ++id) {
    if (!db.valid(id) || db.erased(id)) continue;
    const Record& rec = db.record(id);
    for (const Group& g : rec.groups) {
      if (g.finite()) continue;
      faults.push_back(named(rec) + " group " + std::to_string(g.code) + " is not finite");
      out.push_back(id);
      break;
    }
  }
  return out;
}

struct DimensionLine {
  Vec3 point;
  Vec3 direction;
};

std::optional<DimensionLine> dimension_line(const Record& rec) {
  if (!rec.has(10)) return std::nullopt;
  const double angle = rec.real(50);
  const Vec3 along =
      ocs_to_world_disp({std::cos(angle), std::sin(angle), 0}, rec.point(210, {0, 0, 1}));
  if (!(length(along) > 0)) return std::nullopt;
  return DimensionLine{rec.point(10), normalized(along)};
}

bool on_same_line(const DimensionLine& line, const DimensionLine& other) {
  if (length(cross(line.direction, other.direction)) > std::sin(kAngleTolerance)) return false;
  return length(cross(other.point - line.point, line.direction)) < kPointTolerance;
}

// The dimensions of one chain name on one line.
struct ChainPart {
  std::string name;
  DimensionLine line;
  std::vector<RecordId> members;
};

// The chains whose members lie on more than one line, as the parts that need a name of their
// own.
std::vector<ChainPart> split_chains(const Database& db, std::vector<std::string>& faults) {
  std::vector<std::string> names;
  std::vector<std::vector<ChainPart>> parts;
  for (RecordId id : db.entities()) {
    if (db.erased(id)) continue;
    const Record& rec = db.record(id);
    if (rec.type != "DIMENSION") continue;
    const std::string name = chain_name(rec);
    const std::optional<DimensionLine> line = dimension_line(rec);
    if (name.empty() || !line) continue;
    size_t k = 0;
    while (k < names.size() && !iequals(names[k], name)) ++k;
    if (k == names.size()) {
      names.push_back(name);
      parts.emplace_back();
    }
    ChainPart* part = nullptr;
    for (ChainPart& p : parts[k])
      if (on_same_line(p.line, *line)) part = &p;
    if (!part) part = &parts[k].emplace_back(ChainPart{name, *line, {}});
    part->members.push_back(id);
  }
  std::vector<ChainPart> out;
  for (size_t k = 0; k < names.size(); ++k) {
    if (parts[k].size() < 2) continue;
    faults.push_back("chain " + names[k] + " has members on " + std::to_string(parts[k].size()) +
                     " dimension lines");
    // The line of the chain's first dimension keeps the name.
    const uint64_t first = parse_handle(std::string_view(names[k]).substr(1));
    size_t keeps = 0;
    for (size_t p = 0; p < parts[k].size(); ++p)
      for (RecordId id : parts[k][p].members)
        if (db.record(id).handle() == first) keeps = p;
    for (size_t p = 0; p < parts[k].size(); ++p)
      if (p != keeps) out.push_back(std::move(parts[k][p]));
  }
  return out;
}

void rename_chain(Database& db, const ChainPart& part) {
  const std::string name = "$" + handle_text(db.record(part.members.front()).handle());
  const size_t apps = db.table_index("APPID");
  if (apps != Database::npos && db.table_entry("APPID", name) == kNoRecord)
    db.add_table_entry(apps, Record{"APPID", {Group::text(2, name), Group::integer(70, 0)}});
  for (RecordId id : part.members) {
    Record rec = db.record(id);
    const std::vector<Group> items = rec.xdata(part.name);
    rec.remove_xdata(part.name);
    rec.set_xdata(name, items);
    db.replace(id, std::move(rec));
  }
}

}  // namespace

std::string chain_name(const Record& rec) {
  for (size_t k = rec.xdata_begin(); k < rec.groups.size(); ++k) {
    const Group& g = rec.groups[k];
    if (g.code == 1001 && g.s().starts_with("$")) return std::string(g.s());
  }
  return {};
}

AuditResult audit_drawing(Database& db, bool mend) {
  AuditResult result;
  result.faults = missing_references(db);
  const size_t references = result.faults.size();
  std::vector<OwnerFault> owners;
  if (!r12_form(drawing_version(db))) check_owners(db, result.faults, owners);
  const std::vector<RecordId> numbers = non_finite(db, result.faults);
  const std::vector<ChainPart> chains = split_chains(db, result.faults);
  if (!mend) return result;

  for (const OwnerFault& fault : owners) {
    Record rec = db.record(fault.id);
    rec.set(Group::text(330, fault.owner));
    db.replace(fault.id, std::move(rec));
  }
  for (RecordId id : numbers) {
    if (db.area(id) == Area::kEntities || db.area(id) == Area::kBlock) {
      db.set_erased(id, true);
      continue;
    }
    Record rec = db.record(id);
    for (Group& g : rec.groups)
      if (!g.finite())
        g = group_type(g.code) == GroupType::kPoint ? Group::point(g.code, {}, g.dims)
                                                    : Group::real(g.code, 0);
    db.replace(id, std::move(rec));
  }
  for (const ChainPart& part : chains) rename_chain(db, part);
  if (references > 0) {
    ReferenceNames names;
    for (const Block& block : db.blocks())
      for (RecordId id : block.entities) names.take(db.record(id));
    for (RecordId id : db.entities()) names.take(db.record(id));
    std::vector<std::string> notes;
    names.settle(db, notes);
  }
  result.fixed = result.faults.size();
  return result;
}

}  // namespace cad

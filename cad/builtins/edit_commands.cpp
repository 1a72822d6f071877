// ERASE and MOVE over objects the person selects. Objects on locked layers are left alone, as the
// host does. A complex entity (POLYLINE, an INSERT with attributes) goes and moves with its
// vertices or attributes, a dimension with the graphics of its block.
#include <algorithm>
#include <string>
#include <vector>

#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"

namespace cad {

namespace {

constexpr int64_t kLayerLocked = 4;
// POLYLINE flags whose vertices are world points: 3D polyline, polygon mesh, polyface mesh.
constexpr int64_t kPolylineWorldVertices = 8 | 16 | 64;

bool is_sub_entity(const Record& rec) {
  return rec.type == "VERTEX" || rec.type == "ATTRIB" || rec.type == "SEQEND";
}

// The records that follow an entity as its parts (vertices, attributes, SEQEND).
std::vector<RecordId> parts_of(const Database& db, RecordId id) {
  std::vector<RecordId> out;
  const std::vector<RecordId>& list = db.entities();
  auto it = std::find(list.begin(), list.end(), id);
  if (it == list.end()) return out;
  for (++it; it != list.end() && is_sub_entity(db.record(*it)); ++it) {
    out.push_back(*it);
    if (db.record(*it).type == "SEQEND") break;
  }
  return out;
}

// Leaves out objects on locked layers, saying how many.
std::vector<RecordId> unlocked(Host& host, std::vector<RecordId> ids) {
  const Database& db = host.db();
  const size_t before = ids.size();
  std::erase_if(ids, [&](RecordId id) {
    const RecordId layer = db.table_entry("LAYER", db.record(id).text(8, "0"));
    return layer != kNoRecord && (db.record(layer).integer(70) & kLayerLocked);
  });
  if (ids.size() < before)
    say(host, "\n" + std::to_string(before - ids.size()) + " were on a locked layer.");
  return ids;
}

// Which point groups of an entity type are world points; the others are in its object system.
bool world_point_code(const Record& rec, int code, int64_t owner_flags) {
  const std::string& t = rec.type;
  if (t == "LINE" || t == "POINT" || t == "MTEXT" || t == "ELLIPSE" || t == "SPLINE" ||
      t == "3DFACE" || t == "LEADER" || t == "RAY" || t == "XLINE" || t == "MLINE")
    return true;
  if (t == "DIMENSION") return code != 11 && code != 12;
  if (t == "VERTEX") return (owner_flags & kPolylineWorldVertices) != 0;
  return false;
}

// Types that keep only direction vectors in some point groups, which a move leaves alone.
bool direction_code(const Record& rec, int code) {
  const std::string& t = rec.type;
  if (t == "MTEXT" || t == "ELLIPSE" || t == "RAY" || t == "XLINE") return code == 11;
  if (t == "SPLINE") return code == 12 || code == 13;
  if (t == "MLINE") return code == 12 || code == 13;
  return false;
}

Record moved(const Record& rec, Vec3 d, int64_t owner_flags) {
  Record out = rec;
  const Vec3 extrusion = rec.point(210, {0, 0, 1});
  const Vec3 d_ocs = world_to_ocs_disp(d, extrusion);
  const size_t end = out.xdata_begin();
  for (size_t k = 0; k < end; ++k) {
    Group& g = out.groups[k];
    if (g.code < 10 || g.code > 18 || direction_code(rec, g.code)) continue;
    const Vec3 step = world_point_code(rec, g.code, owner_flags) ? d : d_ocs;
    g.set_pt({g.x() + step.x, g.y() + step.y, g.dims == 3 ? g.z() + step.z : g.z()});
  }
  if (rec.type == "LWPOLYLINE") out.set(Group::real(38, rec.real(38) + d_ocs.z));
  return out;
}

void move_record(Database& db, RecordId id, Vec3 d, int64_t owner_flags) {
  Record rec = moved(db.record(id), d, owner_flags);
  if (rec != db.record(id)) db.replace(id, std::move(rec));
}

void move_entity(Database& db, RecordId id, Vec3 d) {
  const Record& rec = db.record(id);
  const int64_t flags = rec.integer(70);
  if (rec.type == "DIMENSION") {
    const size_t block = db.block_index(rec.text(2));
    if (block != Database::npos) {
      const std::vector<RecordId> inside = db.blocks()[block].entities;
      for (RecordId part : inside) move_record(db, part, d, 0);
    }
  }
  for (RecordId part : parts_of(db, id)) move_record(db, part, d, flags);
  move_record(db, id, d, 0);
}

}  // namespace

void erase_command(Host& host) {
  Database& db = host.db();
  for (RecordId id : unlocked(host, select_objects(host))) {
    db.set_erased(id, true);
    for (RecordId part : parts_of(db, id)) db.set_erased(part, true);
  }
}

void move_command(Host& host) {
  const std::vector<RecordId> ids = unlocked(host, select_objects(host));
  if (ids.empty()) return;
  Prompter& prompter = host.prompter();
  prompter.init_get(0, "Displacement");
  const Answer base =
      checked(prompter.get_point("\nSpecify base point or [Displacement] <Displacement>: "));
  Vec3 displacement;
  if (base.status == kRtNorm) {
    const Answer second = checked(
        prompter.get_point("\nSpecify second point or <use first point as displacement>: "));
    displacement = second.status == kRtNorm ? second.point - base.point : base.point;
  } else {
    const Answer a = checked(prompter.get_point("\nSpecify displacement <0,0,0>: "));
    if (a.status == kRtNorm) displacement = a.point;
  }
  const Vec3 d = host.ucs().to_world_disp(displacement);
  if (d == Vec3{}) return;
  for (RecordId id : ids) move_entity(host.db(), id, d);
}

}  // namespace cad

// ERASE, MOVE, COPY, ROTATE, SCALE, MIRROR and STRETCH over objects the person selects. Objects
// on locked layers are left alone, as the host does. A complex entity (POLYLINE, an INSERT with
// attributes) goes with its vertices or attributes; a copy keeps everything its original holds,
// extended data included. A dimension moves with the graphics of its block; turned, scaled,
// mirrored or stretched, a linear dimension is drawn anew from its points and its style, which
// measures it again and keeps its text.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cad/base/text.h"
#include "cad/builtins/command_support.h"
#include "cad/builtins/commands.h"
#include "cad/builtins/entity_transform.h"
#include "cad/dims/dim_block.h"
#include "cad/dims/dim_style.h"
#include "cad/dims/drawing_records.h"
#include "cad/dims/style_table.h"
#include "cad/geom/arcs.h"
#include "cad/geom/coords.h"
#include "cad/select/selection.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr Prompt kBaseOrDisplacement{"Specify base point or [Displacement] <Displacement>:"};
constexpr Prompt kSecondPoint{"Specify second point or <use first point as displacement>:"};
constexpr Prompt kDisplacement{"Specify displacement <0,0,0>:"};
constexpr Prompt kNextCopy{"Specify second point or [Exit/Undo] <Exit>:"};
constexpr Prompt kBasePoint{"Specify base point:"};
constexpr Prompt kRotation{"Specify rotation angle or [Copy/Reference] <0>:"};
constexpr Prompt kReferenceAngle{"Specify the reference angle <0>:"};
constexpr Prompt kNewAngle{"Specify the new angle <0>:"};
constexpr Prompt kScaleFactor{"Specify scale factor or [Copy/Reference]:"};
// The lengths show 1 as lengths are shown.
constexpr Prompt kReferenceLength{"Specify reference length <{1}>:"};
constexpr Prompt kNewLength{"Specify new length <{1}>:"};
constexpr Prompt kMirrorFirst{"Specify first point of mirror line:"};
constexpr Prompt kMirrorSecond{"Specify second point of mirror line:"};
constexpr Prompt kEraseSource{"Erase source objects? [Yes/No] <No>:"};

constexpr Prompt kErasePrompts[] = {kSelectObjects};
constexpr Prompt kMovePrompts[] = {kSelectObjects, kBaseOrDisplacement, kSecondPoint,
                                   kDisplacement};
constexpr Prompt kCopyPrompts[] = {kSelectObjects, kBaseOrDisplacement, kSecondPoint, kNextCopy,
                                   kDisplacement};
constexpr Prompt kRotatePrompts[] = {kSelectObjects, kBasePoint, kRotation, kReferenceAngle,
                                     kNewAngle};
constexpr Prompt kScalePrompts[] = {kSelectObjects, kBasePoint, kScaleFactor, kReferenceLength,
                                    kNewLength};
constexpr Prompt kMirrorPrompts[] = {kSelectObjects, kMirrorFirst, kMirrorSecond, kEraseSource};

// The records that follow an entity as its parts (vertices, attributes, SEQEND).
std::vector<RecordId> parts_of(const Database& db, RecordId id) {
  std::vector<RecordId> out;
  const std::vector<RecordId>& list = db.entities();
  const size_t at = db.position(id);
  if (at == Database::npos || db.area(id) != Area::kEntities) return out;
  for (size_t k = at + 1; k < list.size() && is_entity_part(db.record(list[k]).type); ++k) {
    out.push_back(list[k]);
    if (db.record(list[k]).type == "SEQEND") break;
  }
  return out;
}

// Leaves out objects on locked layers, saying how many.
std::vector<RecordId> unlocked(Host& host, std::vector<RecordId> ids) {
  const Database& db = host.db();
  const size_t before = ids.size();
  std::erase_if(ids, [&](RecordId id) {
    const RecordId layer = db.table_entry("LAYER", db.record(id).text(8, "0"));
    return layer != kNoRecord && layer_locked(db.record(layer));
  });
  if (ids.size() < before)
    say(host, "\n" + std::to_string(before - ids.size()) + " were on a locked layer.");
  return ids;
}

bool is_linear_dimension(const Record& rec) {
  return rec.type == "DIMENSION" && linear_dimension(rec);
}

// A record as a copy starts: no handle (the drawing gives it one), no owner (the writer adds
// it), and none of the persistent reactors or the extension dictionary, which belong to the
// original alone.
Record fresh_copy(const Record& rec) {
  Record out{rec.type, {}};
  out.groups.reserve(rec.groups.size());
  const size_t xdata = rec.xdata_begin();
  bool skipping = false;
  for (size_t k = 0; k < rec.groups.size(); ++k) {
    const Group& g = rec.groups[k];
    if (k < xdata) {
      if (g.code == 102 && (g.s() == "{ACAD_REACTORS" || g.s() == "{ACAD_XDICTIONARY")) {
        skipping = true;
        continue;
      }
      if (skipping) {
        skipping = !(g.code == 102 && g.s() == "}");
        continue;
      }
      if (g.code == rec.handle_code() || g.code == 330 || g.code == 360) continue;
    }
    out.groups.push_back(g);
  }
  return out;
}

// The edits of one command, with what they share: MIRRTEXT, the blocks dimensions refer to, and
// the objects of types that could not be turned.
class Editor {
 public:
  explicit Editor(Host& host) : db_(host.db()) {
    const std::optional<VarValue> mirrtext = host.get_var("MIRRTEXT");
    mirror_text_ = mirrtext && mirrtext->i != 0;
  }

  // Carries an object with its parts (and a dimension's block) through the map.
  void carry(RecordId id, const Similarity& m) {
    const Record rec = db_.record(id);
    if (!m.translation && !transformable(rec.type)) {
      left_.push_back(rec.type);
      return;
    }
    for (RecordId part : parts_of(db_, id)) {
      const Record& p = db_.record(part);
      replace(part, transformed(p, m, p.type == "VERTEX" ? &rec : nullptr, mirror_text_));
    }
    Record out = transformed(rec, m, nullptr, mirror_text_);
    if (rec.type == "DIMENSION") {
      if (!m.translation && is_linear_dimension(rec)) {
        redraw(id, std::move(out));
        return;
      }
      carry_block(rec.text(2), m);
    }
    replace(id, std::move(out));
  }

  // A copy of an object with its parts (a dimension with a block of its own), added to model
  // space after everything else; its id.
  RecordId copy(RecordId id) {
    Record rec = fresh_copy(db_.record(id));
    if (rec.type == "DIMENSION") {
      const std::string block(rec.text(2));
      if (db_.block_index(block) != Database::npos) rec.set(Group::text(2, copy_block(block)));
    }
    if (rec.type == "INSERT" || rec.type == "DIMENSION") note_use(rec.text(2), 1);
    const std::vector<RecordId> parts = parts_of(db_, id);
    const RecordId copied = db_.add_entity(std::move(rec));
    for (RecordId part : parts) db_.add_entity(fresh_copy(db_.record(part)));
    return copied;
  }

  // Moves by d the points of an object that lie in the area (world XY), the others staying: line
  // ends, polyline vertices, corners, a dimension's definition points. Objects that have no
  // such points (circles, text, blocks) move when their own point lies in the area.
  void stretch(RecordId id, const std::vector<Vec3>& area, Vec3 d) {
    const Record rec = db_.record(id);
    const Vec3 extrusion = rec.point(210, {0, 0, 1});
    const Vec3 d_ocs = world_to_ocs_disp(d, extrusion);
    auto inside = [&](Vec3 world) { return polygon_contains(area, world); };
    if (rec.type == "POLYLINE") {
      stretch_vertices(id, rec, area, d);
      return;
    }
    Record out = rec;
    size_t points = 0;
    size_t moved = 0;
    const size_t end = out.xdata_begin();
    for (size_t k = 0; k < end; ++k) {
      Group& g = out.groups[k];
      const std::optional<bool> world = stretch_point(rec, g.code);
      if (!world) continue;
      ++points;
      Vec3 at = g.pt();
      if (rec.type == "LWPOLYLINE") at.z = rec.real(38);
      if (!inside(*world ? at : ocs_to_world(at, extrusion))) continue;
      ++moved;
      const Vec3 step = *world ? d : d_ocs;
      if (rec.type == "LWPOLYLINE")
        g.set_pt({g.x() + step.x, g.y() + step.y, 0});
      else
        g.set_pt(g.pt() + step);
    }
    if (moved == 0) {
      if (points == 0 && inside(own_point(rec, extrusion))) carry(id, translation(d));
      return;
    }
    if (moved == points) {
      carry(id, translation(d));
      return;
    }
    if (is_linear_dimension(rec))
      redraw(id, std::move(out));
    else
      replace(id, std::move(out));
  }

  // The types of the objects carry() could not turn, scale or mirror.
  const std::vector<std::string>& left() const { return left_; }

 private:
  void replace(RecordId id, Record rec) {
    if (rec != db_.record(id)) db_.replace(id, std::move(rec));
  }

  // Which groups STRETCH moves one by one: nothing for a group that is no such point, else
  // whether it is a world point (true) or one of the object's plane.
  static std::optional<bool> stretch_point(const Record& rec, int code) {
    const std::string& t = rec.type;
    if (t == "LINE") return code == 10 || code == 11 ? std::optional(true) : std::nullopt;
    if (t == "LWPOLYLINE") return code == 10 ? std::optional(false) : std::nullopt;
    if (t == "SOLID" || t == "TRACE")
      return code >= 10 && code <= 13 ? std::optional(false) : std::nullopt;
    if (t == "3DFACE") return code >= 10 && code <= 13 ? std::optional(true) : std::nullopt;
    if (t == "SPLINE" || t == "MLINE")
      return code == 10 || code == 11 ? std::optional(true) : std::nullopt;
    if (t == "LEADER") return code == 10 ? std::optional(true) : std::nullopt;
    // The text position (11) is drawn anew with the dimension.
    if (t == "DIMENSION")
      return code == 10 || code == 13 || code == 14 ? std::optional(true) : std::nullopt;
    return std::nullopt;
  }

  // The point that decides whether an object without stretchable points moves, in the world.
  static Vec3 own_point(const Record& rec, Vec3 extrusion) {
    const std::string& t = rec.type;
    const bool world = t == "POINT" || t == "MTEXT" || t == "ELLIPSE" || t == "XLINE" ||
                       t == "RAY" || t == "DIMENSION";
    return world ? rec.point(10) : ocs_to_world(rec.point(10), extrusion);
  }

  void stretch_vertices(RecordId id, const Record& rec, const std::vector<Vec3>& area, Vec3 d) {
    const Vec3 extrusion = rec.point(210, {0, 0, 1});
    const bool world = (rec.integer(70) & kPolylineWorldVertices) != 0;
    const Vec3 step = world ? d : world_to_ocs_disp(d, extrusion);
    std::vector<RecordId> moving;
    size_t vertices = 0;
    for (RecordId part : parts_of(db_, id)) {
      const Record& v = db_.record(part);
      if (v.type != "VERTEX") continue;
      ++vertices;
      const Vec3 at = world ? v.point(10) : ocs_to_world(v.point(10), extrusion);
      if (polygon_contains(area, at)) moving.push_back(part);
    }
    if (!moving.empty() && moving.size() == vertices) {
      carry(id, translation(d));
      return;
    }
    for (RecordId part : moving) {
      Record v = db_.record(part);
      v.set(Group::point(10, v.point(10) + step));
      replace(part, std::move(v));
    }
  }

  // Draws a linear dimension anew from its points with the values of its style (the current
  // variables when the drawing has no such style): a new block, the measurement, the text
  // position; its text stays. The block it had goes when nothing else refers to it.
  void redraw(RecordId id, Record dim) {
    const std::string old_block(dim.text(2));
    const RecordId style = db_.table_entry("DIMSTYLE", dim.text(3));
    const DimStyleValues values = style != kNoRecord
                                      ? DimStyleValues::from_entry(db_, db_.record(style))
                                      : *current_dim_values(db_);
    if (dimension_type(dim) == kAlignedDimension) {
      // An aligned dimension runs along its origins.
      const Vec3 extrusion = dim.point(210, {0, 0, 1});
      const Vec3 along = world_to_ocs_disp(dim.point(14) - dim.point(13), extrusion);
      if (length(along) > 0)
        dim.set(Group::real(50, normalize_angle(std::atan2(along.y, along.x))));
    }
    build_dimension_block(db_, dim, values);
    note_use(dim.text(2), 1);
    replace(id, std::move(dim));
    release_block(old_block);
  }

  // Carries the graphics of a dimension's block with it.
  void carry_block(std::string_view name, const Similarity& m) {
    const size_t block = db_.block_index(name);
    if (block == Database::npos) return;
    const std::vector<RecordId> inside = db_.blocks()[block].entities;
    for (RecordId part : inside) {
      const Record& rec = db_.record(part);
      if (m.translation || transformable(rec.type))
        replace(part, transformed(rec, m, nullptr, mirror_text_));
    }
  }

  // A copy of a block under a new anonymous name; the name.
  std::string copy_block(std::string_view name) {
    const size_t block = db_.block_index(name);
    const Record& begin = db_.record(db_.blocks()[block].begin);
    const std::string copied = next_anonymous_name(db_, "*D");
    const size_t target = add_block_with_record(db_, copied, static_cast<int>(begin.integer(70)));
    const std::vector<RecordId> inside = db_.blocks()[block].entities;
    for (RecordId part : inside) db_.add_block_entity(target, fresh_copy(db_.record(part)));
    return copied;
  }

  // How many live objects refer to each block, counted when first needed.
  void count_uses() {
    if (uses_) return;
    uses_.emplace();
    auto count = [&](const std::vector<RecordId>& ids) {
      for (RecordId id : ids) {
        const Record& rec = db_.record(id);
        if (!db_.erased(id) && (rec.type == "INSERT" || rec.type == "DIMENSION"))
          ++(*uses_)[to_upper(rec.text(2))];
      }
    };
    count(db_.entities());
    for (const Block& block : db_.blocks()) count(block.entities);
  }

  void note_use(std::string_view name, int change) {
    if (uses_) (*uses_)[to_upper(name)] += change;
  }

  // Erases a block nothing refers to any more, with its record.
  void release_block(std::string_view name) {
    count_uses();
    const size_t block = db_.block_index(name);
    if (block == Database::npos || (*uses_)[to_upper(name)] > 0) return;
    const Block b = db_.blocks()[block];
    for (RecordId id : b.entities) db_.set_erased(id, true);
    db_.set_erased(b.begin, true);
    db_.set_erased(b.end, true);
    if (const RecordId entry = db_.table_entry("BLOCK_RECORD", name); entry != kNoRecord)
      db_.set_erased(entry, true);
  }

  Database& db_;
  bool mirror_text_ = false;
  std::optional<std::map<std::string, int>> uses_;
  std::vector<std::string> left_;
};

// Says which objects an edit left as they were.
void report_left(Host& host, const Editor& editor, std::string_view verb) {
  if (editor.left().empty()) return;
  std::vector<std::string> types = editor.left();
  std::sort(types.begin(), types.end());
  types.erase(std::unique(types.begin(), types.end()), types.end());
  std::string list;
  for (const std::string& t : types) list += (list.empty() ? "" : ", ") + t;
  const size_t n = editor.left().size();
  say(host, "\n" + std::to_string(n) + (n == 1 ? " object was" : " objects were") +
                " left as they were: this host cannot " + std::string(verb) + " " + list + ".");
}

Vec3 world_point(Host& host, Vec3 ucs_point) { return host.ucs().to_world(ucs_point); }

// The displacement MOVE and STRETCH ask for, in the world: from a base point to a second point,
// or the base point itself, or typed as a displacement.
Vec3 ask_displacement(Host& host) {
  Prompter& prompter = host.prompter();
  prompter.init_get(0, "Displacement");
  const Answer base = checked(prompter.get_point(shown(kBaseOrDisplacement)));
  Vec3 displacement;
  if (base.status == kRtNorm) {
    const Answer second = checked(prompter.get_point(shown(kSecondPoint)));
    displacement = second.status == kRtNorm ? second.point - base.point : base.point;
  } else {
    const Answer a = checked(prompter.get_point(shown(kDisplacement)));
    if (a.status == kRtNorm) displacement = a.point;
  }
  return host.ucs().to_world_disp(displacement);
}

// Whether the objects or copies of them are carried: "Copy" at the prompt of ROTATE and SCALE.
std::vector<RecordId> copies(Editor& editor, const std::vector<RecordId>& ids) {
  std::vector<RecordId> out;
  for (RecordId id : ids) out.push_back(editor.copy(id));
  return out;
}

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
  const Vec3 d = ask_displacement(host);
  if (d == Vec3{}) return;
  Editor editor(host);
  for (RecordId id : ids) editor.carry(id, translation(d));
}

void copy_command(Host& host) {
  const std::vector<RecordId> ids = unlocked(host, select_objects(host));
  if (ids.empty()) return;
  say(host, "\nCurrent settings:  Copy mode = Multiple");
  Prompter& prompter = host.prompter();
  Editor editor(host);
  auto copy_by = [&](Vec3 ucs_displacement) {
    const Similarity m = translation(host.ucs().to_world_disp(ucs_displacement));
    for (RecordId id : ids) editor.carry(editor.copy(id), m);
  };
  prompter.init_get(0, "Displacement");
  const Answer base = checked(prompter.get_point(shown(kBaseOrDisplacement)));
  if (base.status != kRtNorm) {
    const Answer a = checked(prompter.get_point(shown(kDisplacement)));
    copy_by(a.status == kRtNorm ? a.point : Vec3{});
    return;
  }
  const Answer second = checked(prompter.get_point(shown(kSecondPoint)));
  if (second.status != kRtNorm) {
    copy_by(base.point);
    return;
  }
  std::vector<size_t> marks{host.db().journal_size()};
  copy_by(second.point - base.point);
  for (;;) {
    prompter.init_get(0, "Exit Undo");
    const Answer next = checked(prompter.get_point(shown(kNextCopy)));
    if (next.status == kRtKword && next.text == "Undo") {
      if (!marks.empty()) {
        host.rollback_to(marks.back());
        marks.pop_back();
      }
      continue;
    }
    if (next.status != kRtNorm) return;
    marks.push_back(host.db().journal_size());
    copy_by(next.point - base.point);
  }
}

void rotate_command(Host& host) {
  say(host, "\nCurrent positive angle in UCS:  ANGDIR=counterclockwise  ANGBASE=0");
  std::vector<RecordId> ids = unlocked(host, select_objects(host));
  if (ids.empty()) return;
  Prompter& prompter = host.prompter();
  const Answer base = checked(prompter.get_point(shown(kBasePoint)));
  if (base.status != kRtNorm) return;
  Editor editor(host);
  double angle = 0;
  for (;;) {
    prompter.init_get(0, "Copy Reference");
    const Answer a = checked(prompter.get_angle(shown(kRotation), base.point));
    if (a.status == kRtKword && a.text == "Copy") {
      say(host, "\nRotating a copy of the selected objects.");
      ids = copies(editor, ids);
      continue;
    }
    if (a.status == kRtKword) {
      const Answer from = checked(prompter.get_angle(shown(kReferenceAngle), std::nullopt));
      const Answer to = checked(prompter.get_angle(shown(kNewAngle), base.point));
      angle = (to.status == kRtNorm ? to.real : 0) - (from.status == kRtNorm ? from.real : 0);
    } else if (a.status == kRtNorm) {
      angle = a.real;
    }
    break;
  }
  if (angle == 0) return;
  const Similarity m = rotation(world_point(host, base.point), host.ucs().z_axis(), angle);
  for (RecordId id : ids) editor.carry(id, m);
  report_left(host, editor, "rotate");
}

void scale_command(Host& host) {
  std::vector<RecordId> ids = unlocked(host, select_objects(host));
  if (ids.empty()) return;
  Prompter& prompter = host.prompter();
  const Answer base = checked(prompter.get_point(shown(kBasePoint)));
  if (base.status != kRtNorm) return;
  Editor editor(host);
  const std::string one = format_length(host.db(), 1);
  double factor = 1;
  for (;;) {
    prompter.init_get(kInitNoZero | kInitNoNegative, "Copy Reference");
    const Answer a = checked(prompter.get_dist(shown(kScaleFactor), base.point));
    if (a.status == kRtKword && a.text == "Copy") {
      say(host, "\nScaling a copy of the selected objects.");
      ids = copies(editor, ids);
      continue;
    }
    if (a.status == kRtKword) {
      prompter.init_get(kInitNoZero | kInitNoNegative, "");
      const Answer from = checked(prompter.get_dist(shown(kReferenceLength, {one}), std::nullopt));
      prompter.init_get(kInitNoZero | kInitNoNegative, "");
      const Answer to = checked(prompter.get_dist(shown(kNewLength, {one}), base.point));
      factor = (to.status == kRtNorm ? to.real : 1) / (from.status == kRtNorm ? from.real : 1);
    } else if (a.status == kRtNorm) {
      factor = a.real;
    }
    break;
  }
  if (factor == 1) return;
  const Similarity m = scaling(world_point(host, base.point), factor);
  for (RecordId id : ids) editor.carry(id, m);
  report_left(host, editor, "scale");
}

void mirror_command(Host& host) {
  const std::vector<RecordId> ids = unlocked(host, select_objects(host));
  if (ids.empty()) return;
  Prompter& prompter = host.prompter();
  const Answer first = checked(prompter.get_point(shown(kMirrorFirst)));
  if (first.status != kRtNorm) return;
  const Answer second = checked(prompter.get_point(shown(kMirrorSecond)));
  if (second.status != kRtNorm) return;
  prompter.init_get(0, "Yes No");
  const Answer erase = checked(prompter.get_kword(shown(kEraseSource)));
  const Similarity m =
      mirror(world_point(host, first.point), world_point(host, second.point), host.ucs().z_axis());
  if (m.translation) return;
  Editor editor(host);
  // Kept, the sources stay where they are and mirrored copies are made; erased, the sources
  // themselves are mirrored.
  const bool keep = !(erase.status == kRtNorm && erase.text == "Yes");
  for (RecordId id : keep ? copies(editor, ids) : ids) editor.carry(id, m);
  report_left(host, editor, "mirror");
}

void stretch_command(Host& host) {
  say(host, "\nSelect objects to stretch by crossing-window or crossing-polygon...");
  PersonSelection chosen = select_objects_in_areas(host);
  const std::vector<RecordId> ids = unlocked(host, std::move(chosen.ids));
  if (ids.empty()) return;
  const Vec3 d = ask_displacement(host);
  if (d == Vec3{}) return;
  Editor editor(host);
  // The last crossing area decides what stretches; objects it did not find move whole.
  const CrossingArea* area = chosen.crossings.empty() ? nullptr : &chosen.crossings.back();
  for (RecordId id : ids) {
    const bool found =
        area && std::find(area->found.begin(), area->found.end(), id) != area->found.end();
    if (found)
      editor.stretch(id, area->polygon, d);
    else
      editor.carry(id, translation(d));
  }
}

}  // namespace

const Builtin kEraseCommand{"ERASE", erase_command, "Erases objects.", kErasePrompts};
const Builtin kMoveCommand{"MOVE", move_command, "Moves objects by a displacement.", kMovePrompts};
const Builtin kCopyCommand{
    "COPY", copy_command,
    "Copies objects by displacements, with everything they hold (extended data too).",
    kCopyPrompts};
const Builtin kRotateCommand{"ROTATE", rotate_command, "Turns objects about a base point.",
                             kRotatePrompts};
const Builtin kScaleCommand{"SCALE", scale_command, "Scales objects about a base point.",
                            kScalePrompts};
const Builtin kMirrorCommand{
    "MIRROR", mirror_command,
    "Mirrors objects in a line; MIRRTEXT says whether text is mirrored too.", kMirrorPrompts};
// MOVE's prompts, after a crossing window or polygon.
const Builtin kStretchCommand{
    "STRETCH", stretch_command,
    "Moves the points of objects that lie in a crossing window or polygon, the rest staying.",
    kMovePrompts};

}  // namespace cad

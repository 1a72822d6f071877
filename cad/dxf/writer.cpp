#include "cad/dxf/writer.h"

#include <string_view>
#include <vector>

#include "cad/dxf/complete.h"
#include "cad/dxf/r12_entities.h"
#include "cad/dxf/tag_writer.h"
#include "cad/dxf/unused.h"

namespace cad {

namespace {

void write_record(TagWriter& w, const Record& rec) {
  w.text(0, rec.type);
  for (const Group& g : rec.groups) w.group(g);
}

void write_records(TagWriter& w, const Database& db, const std::vector<RecordId>& ids) {
  for (RecordId id : ids) write_record(w, db.record(id));
}

// Writes an entity, or what R12 writes instead when r12 is given.
void write_entity(TagWriter& w, const Record& rec, R12Entities* r12,
                  std::vector<Record>& converted) {
  if (!r12 || !r12->convert(rec, converted)) {
    write_record(w, rec);
    return;
  }
  for (const Record& r : converted) write_record(w, r);
}

// About the size of the written file, so that the output grows once.
size_t size_estimate(const Database& db) {
  size_t bytes = 4096;
  auto groups = [&bytes](const std::vector<Group>& list) {
    for (const Group& g : list) bytes += 8 + (g.s().empty() ? 20 * g.dims : g.s().size());
  };
  for (size_t id = 0; id < db.slot_count(); ++id) {
    const Record& rec = db.record(static_cast<RecordId>(id));
    bytes += 8 + rec.type.size();
    groups(rec.groups);
  }
  for (const HeaderVar& var : db.header()) groups(var.groups);
  for (const RawSection& section : db.raw_sections()) groups(section.groups);
  return bytes;
}

// Writes a drawing that is complete for its version as it is, but for the entities of model and
// paper space: those are the live ones of `entities`, completed while they are written. An R12
// drawing's entities pass through r12_entities.
std::string serialize(const Database& db, const Database& entities, R12Entities* r12_entities,
                      DxfForm form) {
  std::string version = drawing_version(db);
  bool r12 = r12_form(version);
  std::vector<Record> converted;
  TextCodec codec;
  FileCodec file_codec(codec);

  TagWriter w(codec, size_estimate(entities), form, r12);
  std::vector<bool> raw_done(db.raw_sections().size(), false);
  for (const std::string& name : db.section_order()) {
    bool r13_section = name == "CLASSES" || name == "OBJECTS";
    if (r12 && r13_section) continue;
    w.text(0, "SECTION");
    w.text(2, name);
    if (name == "HEADER") {
      for (const HeaderVar& var : db.header()) {
        w.text(9, var.name);
        for (size_t k = 0; k < var.groups.size(); ++k) {
          w.group(var.groups[k]);
          if (k == 0) file_codec.take(var);
        }
      }
    } else if (name == "CLASSES") {
      write_records(w, db, db.classes());
    } else if (name == "TABLES") {
      for (const Table& table : db.tables()) {
        const Record& head = db.record(table.head);
        if (r12 && head.text(2) == "BLOCK_RECORD") continue;
        write_record(w, head);
        write_records(w, db, table.entries);
        w.text(0, "ENDTAB");
      }
    } else if (name == "BLOCKS") {
      for (const Block& block : db.blocks()) {
        write_record(w, db.record(block.begin));
        for (RecordId id : block.entities) write_entity(w, db.record(id), r12_entities, converted);
        write_record(w, db.record(block.end));
      }
    } else if (name == "ENTITIES") {
      EntityCompletion completion = entity_completion(db);
      Record completed;
      for_each_live(entities, entities.entities(), [&](const Record& rec) {
        write_entity(w, completion.complete(rec, completed) ? completed : rec, r12_entities,
                     converted);
      });
    } else if (name == "OBJECTS") {
      write_records(w, db, db.objects());
    } else {
      const std::vector<RawSection>& raw = db.raw_sections();
      for (size_t k = 0; k < raw.size(); ++k) {
        if (raw_done[k] || raw[k].name != name) continue;
        raw_done[k] = true;
        for (const Group& g : raw[k].groups) w.group(g);
        break;
      }
    }
    w.text(0, "ENDSEC");
  }
  w.text(0, "EOF");
  return std::move(w.out());
}

}  // namespace

std::string write_dxf(const Database& db, std::vector<std::string>* notes, DxfForm form) {
  // What nothing uses stays in the drawing, for undo, but out of the file.
  const std::unordered_set<RecordId> unused = unused_records(db);
  // The copy that is completed leaves out what is most of a large drawing, its entities: they are
  // completed one by one as they are written, so that writing needs little more memory than the
  // drawing itself.
  std::unique_ptr<Database> copy = copy_drawing(db, Entities::kLeftOut, &unused);
  complete_drawing(*copy);
  if (!r12_form(drawing_version(*copy))) return serialize(*copy, db, nullptr, form);

  // Records that R12 conversions add take handles above every handle of the drawing; the header,
  // written first, names the seed above them.
  const uint64_t seed = copy->handseed();
  R12Entities counting(seed);
  std::vector<Record> converted;
  for (const Block& block : copy->blocks())
    for (RecordId id : block.entities) counting.convert(copy->record(id), converted);
  for_each_live(db, db.entities(), [&](const Record& rec) { counting.convert(rec, converted); });
  if (counting.next_handle() != seed) {
    copy->raise_handseed(counting.next_handle());
    copy->set_header_var("$HANDSEED", {Group::text(5, handle_text(copy->handseed()))});
  }
  R12Entities r12(seed);
  std::string out = serialize(*copy, db, &r12, form);
  if (notes && !r12.left_out().empty()) notes->push_back(r12.left_out());
  return out;
}

bool save_dxf(const Database& db, const std::string& path, std::string* error,
              const SaveOptions& options, std::vector<std::string>* notes, DxfForm form) {
  return save_file(path, write_dxf(db, notes, form), options, error);
}

}  // namespace cad

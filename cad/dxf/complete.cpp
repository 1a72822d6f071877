#include "cad/dxf/complete.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <unordered_map>
#include <utility>

#include "cad/base/text.h"
#include "cad/dxf/subclass.h"
#include "cad/types/entity_types.h"

namespace cad {

namespace {

Group text(int code, std::string_view value) { return Group::text(code, std::string(value)); }

Record record(std::string_view type, std::vector<Group> groups) {
  Record rec;
  rec.type = std::string(type);
  rec.groups = std::move(groups);
  return rec;
}

struct TableNeeds {
  std::string_view name;
  bool r13_only;
};

constexpr std::array<TableNeeds, 9> kTables = {{
    {"VPORT", false},
    {"LTYPE", false},
    {"LAYER", false},
    {"STYLE", false},
    {"VIEW", false},
    {"UCS", false},
    {"APPID", false},
    {"DIMSTYLE", false},
    {"BLOCK_RECORD", true},
}};

// The standard entries of a table, named as the version names them.
std::vector<std::string_view> standard_entries(std::string_view table, bool r12) {
  if (table == "VPORT") return {r12 ? "*ACTIVE" : "*Active"};
  if (table == "LTYPE")
    return r12 ? std::vector<std::string_view>{"CONTINUOUS"}
               : std::vector<std::string_view>{"ByBlock", "ByLayer", "Continuous"};
  if (table == "LAYER") return {"0"};
  if (table == "STYLE" || table == "DIMSTYLE") return {r12 ? "STANDARD" : "Standard"};
  if (table == "APPID") return {"ACAD"};
  return {};
}

Record standard_entry(std::string_view table, std::string_view name, bool r12) {
  if (table == "VPORT") {
    return record(table, {text(2, name),
                          Group::integer(70, 0),
                          Group::point(10, {0, 0, 0}, 2),
                          Group::point(11, {1, 1, 0}, 2),
                          Group::point(12, {0, 0, 0}, 2),
                          Group::point(13, {0, 0, 0}, 2),
                          Group::point(14, {1, 1, 0}, 2),
                          Group::point(15, {1, 1, 0}, 2),
                          Group::point(16, {0, 0, 1}),
                          Group::point(17, {0, 0, 0}),
                          Group::real(40, 10),
                          Group::real(41, 1.5),
                          Group::real(42, 50),
                          Group::real(43, 0),
                          Group::real(44, 0),
                          Group::real(50, 0),
                          Group::real(51, 0),
                          Group::integer(71, 0),
                          Group::integer(72, 1000),
                          Group::integer(73, 1),
                          Group::integer(74, 3),
                          Group::integer(75, 0),
                          Group::integer(76, 0),
                          Group::integer(77, 0),
                          Group::integer(78, 0)});
  }
  if (table == "LTYPE") {
    bool solid = name == "Continuous" || name == "CONTINUOUS";
    return record(table, {text(2, name), Group::integer(70, 0), text(3, solid ? "Solid line" : ""),
                          Group::integer(72, 65), Group::integer(73, 0), Group::real(40, 0)});
  }
  if (table == "LAYER") {
    return record(table, {text(2, name), Group::integer(70, 0), Group::integer(62, 7),
                          text(6, r12 ? "CONTINUOUS" : "Continuous")});
  }
  if (table == "STYLE") {
    return record(table, {text(2, name), Group::integer(70, 0), Group::real(40, 0),
                          Group::real(41, 1), Group::real(50, 0), Group::integer(71, 0),
                          Group::real(42, 2.5), text(3, "txt"), text(4, "")});
  }
  return record(table, {text(2, name), Group::integer(70, 0)});
}

std::pair<Record, Record> layout_block(std::string_view name, bool paper) {
  std::vector<Group> begin{text(8, "0")};
  std::vector<Group> end{text(8, "0")};
  if (paper) {
    begin.insert(begin.begin(), Group::integer(67, 1));
    end.insert(end.begin(), Group::integer(67, 1));
  }
  begin.push_back(text(2, name));
  begin.push_back(Group::integer(70, 0));
  begin.push_back(Group::point(10, {0, 0, 0}));
  begin.push_back(text(3, name));
  begin.push_back(text(1, ""));
  return {record("BLOCK", std::move(begin)), record("ENDBLK", std::move(end))};
}

// Completes one record for its version: R12 drops what R13 added, later versions need subclass
// markers and an owner (owner(), asked only when the record has none; none when it is empty).
// True with the completed record in out when it needed anything.
template <typename Owner>
bool complete_record(const Record& rec, bool r12, Owner&& owner, Record& out,
                     RecordCounts& counts) {
  if (r12) {
    if (!has_r13_groups(rec)) return false;
    out = rec;
    strip_to_r12(out);
    ++counts.stripped;
    return true;
  }
  const bool mark = needs_subclass_markers(rec);
  const std::string_view new_owner = owner_of(rec).empty() ? owner() : std::string_view();
  if (!mark && new_owner.empty()) return false;
  out = rec;
  if (mark) add_subclass_markers(out);
  const bool owned = !new_owner.empty() && add_owner(out, std::string(new_owner));
  counts.marked += mark ? 1 : 0;
  counts.owned += owned ? 1 : 0;
  return true;
}

}  // namespace

EntityCompletion::EntityCompletion(bool r12, std::string model, std::string paper)
    : r12_(r12), model_(std::move(model)), paper_(std::move(paper)) {}

void EntityCompletion::pass(const Record& rec) {
  if (!leader_.empty() && is_entity_part(rec.type)) {
    if (std::string_view(rec.type) == "SEQEND") leader_.clear();
    return;
  }
  leader_ = has_entity_parts(rec.type, rec.integer(66)) ? handle_text(rec.handle()) : std::string();
}

bool is_formed(const Record& rec) { return !needs_subclass_markers(rec) && !owner_of(rec).empty(); }

bool EntityCompletion::complete(const Record& rec, Record& out) {
  const bool follows = !leader_.empty() && is_entity_part(rec.type);
  const bool changed = complete_record(
      rec, r12_,
      [&]() -> std::string_view {
        if (follows) return leader_;
        return rec.integer(67) == 1 ? paper_ : model_;
      },
      out, counts_);
  pass(rec);
  return changed;
}

namespace {

class Completer {
 public:
  Completer(Database& db, const std::vector<bool>* formed) : db_(db), formed_(formed) {}

  void run() {
    header();
    tables();
    if (!r12_) {
      blocks();
      block_records();
    }
    records();
    if (r12_)
      leave_out_r13_sections();
    else
      root_dictionary();
    sections();
    table_counts();
    std::string seed = handle_text(db_.handseed());
    const HeaderVar* var = db_.header_var("$HANDSEED");
    if (!var || var->groups.size() != 1 || var->groups[0].code != 5 || var->groups[0].s() != seed)
      db_.set_header_var("$HANDSEED", {text(5, seed)});
  }

  std::string summary() const {
    std::string out;
    auto item = [&](size_t n, std::string_view what) {
      if (n == 0) return;
      out += out.empty() ? "" : ", ";
      out += std::to_string(n) + " " + std::string(what);
    };
    item(added_vars_.size(), "header variables");
    item(added_tables_, "tables");
    item(added_entries_, "table entries");
    item(added_blocks_, "blocks");
    item(added_objects_, "objects");
    item(counts_.marked, "records given subclass markers");
    item(counts_.owned, "records given owners");
    item(counts_.stripped, "records stripped of R13 groups");
    item(left_out_,
         "CLASSES, OBJECTS and BLOCK_RECORD records left out (R12 has no place for them)");
    item(left_out_vars_, "dimension variables of later versions left out of the header");
    if (out.empty()) return out;
    std::string vars;
    for (const std::string& v : added_vars_) vars += (vars.empty() ? " (" : ", ") + v;
    if (!vars.empty()) vars += ")";
    return "completed for " + version_ + ": " + out + vars;
  }

 private:
  void add_var(std::string_view name, std::vector<Group> groups) {
    db_.set_header_var(name, std::move(groups));
    added_vars_.emplace_back(name);
  }

  void header() {
    const HeaderVar* ver = db_.header_var("$ACADVER");
    if (!ver || ver->groups.empty()) add_var("$ACADVER", {text(1, "AC1027")});
    version_ = drawing_version(db_);
    r12_ = r12_form(version_);
    if (version_number(version_) < 1021 && !db_.header_var("$DWGCODEPAGE"))
      add_var("$DWGCODEPAGE", {text(3, "ANSI_1252")});
    lead_header();
    if (r12_) {
      const HeaderVar* handling = db_.header_var("$HANDLING");
      if (!handling || handling->groups.empty() || handling->groups[0].i() != 1)
        add_var("$HANDLING", {Group::integer(70, 1)});
      leave_out_r13_dimension_vars();
    }
  }

  // The dimension variables R13 and later added (those a DIMSTYLE record of R12 has no group
  // for) have no place in an R12 header either.
  void leave_out_r13_dimension_vars() {
    std::vector<std::string> names;
    for (const HeaderVar& var : db_.header()) {
      const SysVarInfo* info = var.name.size() > 1 ? sysvar_info(var.name.substr(1)) : nullptr;
      if (info && info->dimstyle_code != 0 && !r12_table_group("DIMSTYLE", info->dimstyle_code))
        names.push_back(var.name);
    }
    db_.remove_header_vars(names);
    left_out_vars_ += names.size();
  }

  // $ACADVER first and $DWGCODEPAGE next: they say how the rest of the file's text is read.
  void lead_header() {
    auto rank = [](const HeaderVar& var) {
      return iequals(var.name, "$ACADVER") ? 0 : iequals(var.name, "$DWGCODEPAGE") ? 1 : 2;
    };
    auto before = [&](const HeaderVar& a, const HeaderVar& b) { return rank(a) < rank(b); };
    if (std::is_sorted(db_.header().begin(), db_.header().end(), before)) return;
    std::vector<HeaderVar> vars = db_.header();
    std::stable_sort(vars.begin(), vars.end(), before);
    std::vector<std::string> names;
    names.reserve(vars.size());
    for (const HeaderVar& var : vars) names.push_back(var.name);
    db_.remove_header_vars(names);
    for (HeaderVar& var : vars) db_.set_header_var(var.name, std::move(var.groups));
  }

  void tables() {
    for (const TableNeeds& need : kTables) {
      if (need.r13_only && r12_) continue;
      size_t t = db_.table_index(need.name);
      if (t == Database::npos) {
        Record head = record("TABLE", {text(2, need.name), text(5, handle_text(db_.take_handle())),
                                       Group::integer(70, 0)});
        t = db_.add_table(std::move(head));
        created_tables_.push_back(t);
        ++added_tables_;
      }
      for (std::string_view name : standard_entries(need.name, r12_)) {
        if (db_.table_entry(need.name, name) != kNoRecord) continue;
        db_.add_table_entry(t, standard_entry(need.name, name, r12_));
        ++added_entries_;
      }
    }
  }

  void blocks() {
    for (auto [name, paper] : {std::pair{"*Model_Space", false}, std::pair{"*Paper_Space", true}}) {
      if (db_.block_index(name) != Database::npos) continue;
      auto [begin, end] = layout_block(name, paper);
      db_.add_block(std::move(begin), std::move(end));
      ++added_blocks_;
    }
  }

  // Handles of the BLOCK_RECORD entries by upper-case name; drawings may hold thousands of blocks.
  std::unordered_map<std::string, std::string> block_record_handles() const {
    std::unordered_map<std::string, std::string> out;
    size_t t = db_.table_index("BLOCK_RECORD");
    if (t == Database::npos) return out;
    for (RecordId id : db_.tables()[t].entries) {
      const Record& rec = db_.record(id);
      if (!db_.erased(id)) out.emplace(to_upper(rec.text(2)), handle_text(rec.handle()));
    }
    return out;
  }

  void block_records() {
    size_t t = db_.table_index("BLOCK_RECORD");
    std::unordered_map<std::string, std::string> known = block_record_handles();
    for (const Block& block : db_.blocks()) {
      std::string_view name = db_.record(block.begin).text(2);
      if (name.empty() || !known.emplace(to_upper(name), "").second) continue;
      db_.add_table_entry(t, record("BLOCK_RECORD", {text(2, name)}));
      ++added_entries_;
    }
  }

  // Subclass markers and owner for R13+, or the R12 form. Records that need nothing are not
  // copied: a loaded drawing is mostly complete already.
  void fix(RecordId id, std::string_view owner) {
    Record out;
    if (complete_record(
            db_.record(id), r12_, [owner] { return owner; }, out, counts_))
      db_.replace(id, std::move(out));
  }

  void entities(const std::vector<RecordId>& ids, const std::string& model,
                const std::string& paper) {
    constexpr size_t kAhead = 8;
    EntityCompletion completion(r12_, model, paper);
    Record out;
    const bool trust = formed_ && !r12_;
    for (size_t k = 0; k < ids.size(); ++k) {
      const RecordId id = ids[k];
      if (trust && id < formed_->size() && (*formed_)[id]) {
        completion.pass(db_.record(id));
        continue;
      }
      // A drawing's records lie all over memory: the groups of records a few places ahead are
      // fetched while this one is looked at.
      if (k + kAhead < ids.size()) __builtin_prefetch(db_.record(ids[k + kAhead]).groups.data());
      if (completion.complete(db_.record(id), out)) db_.replace(id, std::move(out));
    }
    counts_ += completion.counts();
  }

  void records() {
    for (const Table& table : db_.tables()) {
      fix(table.head, "0");
      std::string head = handle_text(db_.record(table.head).handle());
      for (RecordId id : table.entries) fix(id, head);
    }
    std::unordered_map<std::string, std::string> owners = block_record_handles();
    auto owner_of_block = [&owners](std::string_view name) {
      auto it = owners.find(to_upper(name));
      return it == owners.end() ? std::string() : it->second;
    };
    for (const Block& block : db_.blocks()) {
      std::string owner = owner_of_block(db_.record(block.begin).text(2));
      fix(block.begin, owner);
      entities(block.entities, owner, owner);
      fix(block.end, owner);
    }
    entities(db_.entities(), owner_of_block("*Model_Space"), owner_of_block("*Paper_Space"));
  }

  // R12 has no CLASSES or OBJECTS section: their records are erased, with a note, where they
  // would otherwise be dropped unseen when the drawing is written.
  void leave_out_r13_sections() {
    auto leave_out = [this](RecordId id) {
      if (db_.erased(id)) return;
      db_.set_erased(id, true);
      ++left_out_;
    };
    for (const std::vector<RecordId>* ids : {&db_.classes(), &db_.objects()})
      for (RecordId id : *ids) leave_out(id);
    // Nor has it a BLOCK_RECORD table.
    const size_t t = db_.table_index("BLOCK_RECORD");
    if (t == Database::npos) return;
    leave_out(db_.tables()[t].head);
    for (RecordId id : db_.tables()[t].entries) leave_out(id);
  }

  void root_dictionary() {
    const std::vector<RecordId>& objects = db_.objects();
    if (!objects.empty() && db_.record(objects.front()).type != "DICTIONARY") return;
    bool have_root = !objects.empty();
    std::string root = have_root ? handle_text(db_.record(objects.front()).handle())
                                 : handle_text(db_.take_handle());
    if (have_root) {
      const Record& rec = db_.record(objects.front());
      for (const Group& g : rec.groups)
        if (g.code == 3 && g.s() == "ACAD_GROUP") return;
    }
    std::string group = handle_text(db_.take_handle());
    auto dictionary = [](const std::string& handle, const std::string& owner) {
      return record("DICTIONARY", {text(5, handle), text(330, owner), text(100, "AcDbDictionary"),
                                   Group::integer(281, 1)});
    };
    if (have_root) {
      Record rec = db_.record(objects.front());
      size_t at = rec.xdata_begin();
      rec.groups.insert(rec.groups.begin() + static_cast<std::ptrdiff_t>(at),
                        {text(3, "ACAD_GROUP"), text(350, group)});
      db_.replace(objects.front(), std::move(rec));
    } else {
      Record rec = dictionary(root, "0");
      rec.groups.push_back(text(3, "ACAD_GROUP"));
      rec.groups.push_back(text(350, group));
      db_.add_object(std::move(rec));
      ++added_objects_;
    }
    db_.add_object(dictionary(group, root));
    ++added_objects_;
  }

  // The sections the version writes in their usual order. A section the host does not interpret
  // stays after the section it followed, behind any section added there.
  void sections() {
    std::vector<std::string_view> known = {"HEADER", "CLASSES",  "TABLES",
                                           "BLOCKS", "ENTITIES", "OBJECTS"};
    if (r12_) known = {"HEADER", "TABLES", "BLOCKS", "ENTITIES"};
    std::vector<bool> present(known.size(), false);
    std::vector<std::vector<std::string>> raw(known.size() + 1);  // [0]: before all
    size_t anchor = 0;
    for (const std::string& name : db_.section_order()) {
      auto it = std::find(known.begin(), known.end(), name);
      if (it != known.end()) {
        anchor = static_cast<size_t>(it - known.begin()) + 1;
        present[anchor - 1] = true;
      } else if (name != "CLASSES" && name != "OBJECTS") {
        raw[anchor].push_back(name);
      }
    }
    std::vector<std::string> order = raw[0];
    std::vector<std::string> held;
    for (size_t k = 0; k < known.size(); ++k) {
      if (present[k]) order.insert(order.end(), held.begin(), held.end());
      order.emplace_back(known[k]);
      if (present[k]) held = raw[k + 1];
    }
    order.insert(order.end(), held.begin(), held.end());
    if (order != db_.section_order()) db_.set_section_order(std::move(order));
  }

  // Tables made here say how many entries they hold.
  void table_counts() {
    for (size_t t : created_tables_) {
      const Table& table = db_.tables()[t];
      Record head = db_.record(table.head);
      head.set(Group::integer(70, static_cast<int64_t>(table.entries.size())));
      if (!(head == db_.record(table.head))) db_.replace(table.head, std::move(head));
    }
  }

  Database& db_;
  const std::vector<bool>* formed_;
  std::string version_;
  bool r12_ = false;
  std::vector<size_t> created_tables_;
  std::vector<std::string> added_vars_;
  size_t added_tables_ = 0;
  size_t added_entries_ = 0;
  size_t added_blocks_ = 0;
  size_t added_objects_ = 0;
  RecordCounts counts_;
  size_t left_out_ = 0;
  size_t left_out_vars_ = 0;
};

}  // namespace

std::string drawing_version(const Database& db) {
  const HeaderVar* var = db.header_var("$ACADVER");
  if (!var || var->groups.empty() || var->groups[0].s().empty()) return "AC1027";
  return std::string(var->groups[0].s());
}

int version_number(std::string_view acadver) {
  acadver = trim(acadver);
  if (acadver.size() < 3 || !acadver.starts_with("AC")) return 0;
  int n = 0;
  auto res = std::from_chars(acadver.data() + 2, acadver.data() + acadver.size(), n);
  return res.ec == std::errc() && res.ptr == acadver.data() + acadver.size() ? n : 0;
}

bool r12_form(std::string_view acadver) { return version_number(acadver) < 1012; }

bool FileCodec::take(const HeaderVar& var) {
  if (var.groups.empty()) return true;
  if (iequals(var.name, "$ACADVER")) {
    version_seen_ = true;
    version_ = var.groups[0].s().empty() ? "AC1027" : std::string(var.groups[0].s());
  } else if (iequals(var.name, "$DWGCODEPAGE")) {
    page_seen_ = true;
    page_ = std::string(trim(var.groups[0].s()));
  } else {
    return true;
  }
  if (version_seen_ && version_number(version_) >= 1021) {
    codec_.set_utf8();
    return true;
  }
  return codec_.set_code_page(page_seen_ ? page_ : "ANSI_1252");
}

void complete_drawing(Database& db, std::vector<std::string>* notes,
                      const std::vector<bool>* formed) {
  Completer completer(db, formed);
  completer.run();
  if (notes) {
    std::string summary = completer.summary();
    if (!summary.empty()) notes->push_back(std::move(summary));
  }
}

void for_each_live(const Database& db, const std::vector<RecordId>& ids,
                   const std::function<void(const Record&)>& take) {
  // Sub-entities of an erased POLYLINE or INSERT go with it.
  bool skipping = false;
  for (RecordId id : ids) {
    const Record& rec = db.record(id);
    if (skipping && is_entity_part(rec.type)) {
      skipping = std::string_view(rec.type) != "SEQEND";
      continue;
    }
    skipping = false;
    if (db.erased(id)) {
      skipping = has_entity_parts(rec.type, rec.integer(66));
      continue;
    }
    take(rec);
  }
}

std::unique_ptr<Database> copy_drawing(const Database& db, Entities entities,
                                       const std::unordered_set<RecordId>* left_out) {
  auto kept = [&](RecordId id) { return !db.erased(id) && !(left_out && left_out->contains(id)); };
  auto out = std::make_unique<Database>();
  // The copy is written and dropped: nothing of it is ever undone.
  out->set_journaling(false);
  out->reserve(
      (entities == Entities::kCopied ? db.slot_count() : db.slot_count() - db.entities().size()) +
      64);
  out->raise_handseed(db.handseed());
  for (const HeaderVar& var : db.header()) out->set_header_var(var.name, var.groups);
  for (RecordId id : db.classes())
    if (!db.erased(id)) out->add_class(db.record(id));
  for (const Table& table : db.tables()) {
    if (db.erased(table.head)) continue;
    size_t t = out->add_table(db.record(table.head));
    for (RecordId id : table.entries)
      if (kept(id)) out->add_table_entry(t, db.record(id));
  }
  for (const Block& block : db.blocks()) {
    if (!kept(block.begin)) continue;
    size_t b = out->add_block(db.record(block.begin), db.record(block.end));
    for_each_live(db, block.entities, [&](const Record& rec) { out->add_block_entity(b, rec); });
  }
  if (entities == Entities::kCopied)
    for_each_live(db, db.entities(), [&](const Record& rec) { out->add_entity(rec); });
  for (RecordId id : db.objects())
    if (!db.erased(id)) out->add_object(db.record(id));
  for (const RawSection& section : db.raw_sections()) out->add_raw_section(section);
  out->set_section_order(db.section_order());
  return out;
}

EntityCompletion entity_completion(const Database& completed) {
  std::string model;
  std::string paper;
  const size_t t = completed.table_index("BLOCK_RECORD");
  if (t != Database::npos) {
    for (RecordId id : completed.tables()[t].entries) {
      const Record& rec = completed.record(id);
      if (completed.erased(id)) continue;
      if (iequals(rec.text(2), "*Model_Space") && model.empty()) model = handle_text(rec.handle());
      if (iequals(rec.text(2), "*Paper_Space") && paper.empty()) paper = handle_text(rec.handle());
    }
  }
  return EntityCompletion(r12_form(drawing_version(completed)), model, paper);
}

}  // namespace cad

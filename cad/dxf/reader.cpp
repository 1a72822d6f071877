#include "cad/dxf/reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

#include "cad/base/text.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/r12_entities.h"
#include "cad/dxf/references.h"
#include "cad/dxf/subclass.h"
#include "cad/dxf/tags.h"

namespace cad {

namespace {

bool named(const Group& g, std::string_view name) { return g.code == 0 && iequals(g.s(), name); }

// Reads the file straight into a database in loading mode (handles of the whole file are known
// before records without one get theirs). A malformed file ends the reading with an error and
// the half-filled database is dropped: nothing half-read is ever seen.
//
// Recovering (report non-null), what the strict reader refuses is mended or left out and counted
// in the report instead; a file the strict reader reads takes none of those paths.
class Parser {
 public:
  Parser(std::string_view bytes, RecoverReport* report)
      : groups_(bytes),
        file_codec_(groups_.codec()),
        db_(std::make_unique<Database>()),
        report_(report) {
    if (report_) groups_.set_recovering(&skipped_);
    scratch_.reserve(64);
    // Room for about as many records as the file can hold (a record takes 150 bytes or more),
    // so that the records are not moved again and again as the drawing grows; room not used is
    // never touched.
    db_->reserve(bytes.size() / 150);
    db_->begin_load();
  }

  bool run();
  // The drawing read; call once, after run() succeeded.
  std::unique_ptr<Database> finish(std::vector<std::string>& notes);
  const std::string& error() const { return error_; }
  std::vector<std::string>& notes() { return notes_; }

 private:
  // Reads the next group into cur_; false at the end of the data or on an error.
  bool advance() { return advance(cur_); }
  bool advance(Group& into) {
    if (groups_.next(into)) return true;
    if (!groups_.error().empty()) error_ = groups_.error();
    return false;
  }
  bool fail(size_t pos, const std::string& message) {
    error_ = groups_.where(pos) + ": " + message;
    return false;
  }
  bool unterminated(std::string_view section) {
    if (!error_.empty()) return false;
    if (report_) return mended("sections not closed by 0 ENDSEC (the file ends)");
    error_ = groups_.where_end() + ": section " + std::string(section) +
             " is not closed by 0 ENDSEC (the file ends)";
    return false;
  }

  // Recovering: counts what was mended and reads on.
  bool mended(std::string_view kind) {
    report_->add(kind);
    return true;
  }
  // Recovering, whether a group met inside a section begins the next one: a 0 SECTION there
  // means this one lacks its 0 ENDSEC. The group is then held for run().
  bool next_section_begins() {
    if (!report_ || !named(cur_, "SECTION")) return false;
    held_ = true;
    return mended("sections not closed by 0 ENDSEC before the next");
  }
  bool section();
  // Recovering: records met outside any section are read as the section they belong in.
  bool section_of_records();
  void settle_pointers(Database& db);
  void make_block_records(Database& db);
  void add_section(const std::string& name);
  bool header();
  bool raw(std::string name);
  // Reads the records of a section (cur_ holds the first group after the section's name) and
  // hands each to take(record, pos of its 0 group). Stops after 0 ENDSEC.
  template <typename Take>
  bool records(std::string_view section, Take&& take);
  bool tables();
  bool blocks();
  void header_var_seen(const HeaderVar& var);
  // Whether an entity needs completing is seen as it is read, while its groups are at hand,
  // rather than by looking at every record again afterwards.
  void note_formed(RecordId id, bool formed) {
    if (!formed) return;
    if (formed_.size() <= id) formed_.resize(id + 1);
    formed_[id] = true;
  }

  GroupReader groups_;
  FileCodec file_codec_;
  Group cur_;
  std::vector<Group> scratch_;
  std::vector<bool> formed_;  // by record id
  ReferenceNames references_;
  std::unique_ptr<Database> db_;
  std::vector<HeaderVar> header_;
  std::vector<RawSection> raw_;
  std::vector<std::string> order_;
  std::string error_;
  std::vector<std::string> notes_;
  RecoverReport* report_;
  SkippedGroups skipped_;
  bool held_ = false;  // cur_ holds a group run() is still to look at
};

bool Parser::run() {
  while (std::exchange(held_, false) || advance()) {
    if (cur_.code == 999) continue;
    if (cur_.code == 9) {
      // Some writers leave header variables outside any section; they are still the header.
      notes_.push_back(groups_.where(groups_.pos()) +
                       ": header variables outside a section read as HEADER");
      add_section("HEADER");
      if (!header()) return false;
      continue;
    }
    if (!named(cur_, "SECTION")) {
      if (!report_) return fail(groups_.pos(), "expected 0 SECTION, got " + describe(cur_));
      if (named(cur_, "ENDSEC"))
        mended("0 ENDSEC outside a section left out");
      else if (cur_.code != 0)
        mended("groups outside a section left out");
      else if (!section_of_records())
        return false;
      continue;
    }
    if (!section()) return false;
  }
  if (report_) {
    if (skipped_.wrong_values)
      report_->add("groups whose value has the wrong type left out", skipped_.wrong_values);
    if (skipped_.unreadable_lines)
      report_->add("lines that are no group passed over", skipped_.unreadable_lines);
    if (skipped_.cut_off) report_->add("file cut off inside a group");
  }
  return error_.empty();
}

bool Parser::section_of_records() {
  const std::string_view type = cur_.s();
  std::string name = "ENTITIES";
  if (iequals(type, "TABLE"))
    name = "TABLES";
  else if (iequals(type, "BLOCK") || iequals(type, "ENDBLK"))
    name = "BLOCKS";
  else if (iequals(type, "CLASS"))
    name = "CLASSES";
  else if (iequals(type, "DICTIONARY"))
    name = "OBJECTS";
  report_->add("records outside a section read as the section they belong in");
  add_section(name);
  if (name == "TABLES") return tables();
  if (name == "BLOCKS") return blocks();
  if (name == "CLASSES")
    return records(name, [&](Record& rec, size_t) {
      db_->add_class(std::move(rec));
      return true;
    });
  if (name == "OBJECTS")
    return records(name, [&](Record& rec, size_t) {
      db_->add_object(std::move(rec));
      return true;
    });
  return records(name, [&](Record& rec, size_t) {
    references_.take(rec);
    const bool formed = is_formed(rec);
    note_formed(db_->add_entity(std::move(rec)), formed);
    return true;
  });
}

void Parser::add_section(const std::string& name) {
  if (std::find(order_.begin(), order_.end(), name) == order_.end()) order_.push_back(name);
}

bool Parser::section() {
  size_t at = groups_.pos();
  if (!advance()) {
    if (report_ && error_.empty()) return mended("0 SECTION without a name left out");
    return error_.empty() ? fail(at, "0 SECTION without a name (the file ends)") : false;
  }
  if (cur_.code != 2) {
    if (report_) {
      held_ = true;
      return mended("0 SECTION without a name left out");
    }
    return fail(groups_.pos(),
                "expected 2 and a section name after 0 SECTION, got " + describe(cur_));
  }
  std::string name(trim(cur_.s()));
  std::string upper = to_upper(name);
  bool known = upper == "HEADER" || upper == "CLASSES" || upper == "TABLES" || upper == "BLOCKS" ||
               upper == "ENTITIES" || upper == "OBJECTS";
  std::string key = known ? upper : name;
  add_section(key);
  if (!advance()) return unterminated(key);
  if (upper == "HEADER") return header();
  if (upper == "CLASSES")
    return records(key, [&](Record& rec, size_t) {
      db_->add_class(std::move(rec));
      return true;
    });
  if (upper == "TABLES") return tables();
  if (upper == "BLOCKS") return blocks();
  if (upper == "ENTITIES")
    return records(key, [&](Record& rec, size_t) {
      references_.take(rec);
      const bool formed = is_formed(rec);
      note_formed(db_->add_entity(std::move(rec)), formed);
      return true;
    });
  if (upper == "OBJECTS")
    return records(key, [&](Record& rec, size_t) {
      db_->add_object(std::move(rec));
      return true;
    });
  return raw(key);
}

void Parser::header_var_seen(const HeaderVar& var) {
  if (file_codec_.take(var)) return;
  std::string note = "unknown code page '" + file_codec_.page() + "': read as ANSI_1252";
  if (std::find(notes_.begin(), notes_.end(), note) == notes_.end()) notes_.push_back(note);
}

bool Parser::header() {
  HeaderVar* var = nullptr;
  do {
    if (cur_.code == 0) {
      if (named(cur_, "ENDSEC")) return true;
      if (report_) {
        // Records after the variables: the header lacks its end.
        held_ = true;
        return mended("sections not closed by 0 ENDSEC before the next");
      }
      return fail(groups_.pos(),
                  "expected 9 and a variable name or 0 ENDSEC in HEADER, got " + describe(cur_));
    }
    if (cur_.code == 9) {
      header_.push_back(HeaderVar{std::string(trim(cur_.s())), {}});
      var = &header_.back();
      continue;
    }
    if (!var) {
      if (cur_.code == 999) continue;
      if (report_) {
        mended("groups in HEADER before the first variable left out");
        continue;
      }
      return fail(groups_.pos(), "expected 9 and a variable name in HEADER, got " + describe(cur_));
    }
    var->groups.push_back(std::move(cur_));
    // The version and code page decide how the rest of the file's text is read.
    if (var->groups.size() == 1) header_var_seen(*var);
  } while (advance());
  return unterminated("HEADER");
}

bool Parser::raw(std::string name) {
  RawSection* section = nullptr;
  for (RawSection& s : raw_)
    if (s.name == name) section = &s;
  if (!section) {
    raw_.push_back(RawSection{name, {}});
    section = &raw_.back();
  }
  do {
    if (named(cur_, "ENDSEC") || next_section_begins()) return true;
    section->groups.push_back(std::move(cur_));
  } while (advance());
  return unterminated(name);
}

template <typename Take>
bool Parser::records(std::string_view section, Take&& take) {
  while (cur_.code != 0) {
    if (report_ && cur_.code != 999)
      mended("groups before the first record of a section left out");
    else if (cur_.code != 999)
      return fail(groups_.pos(), "expected 0 and an object type in " + std::string(section) +
                                     ", got " + describe(cur_));
    if (!advance()) return unterminated(section);
  }
  while (!named(cur_, "ENDSEC")) {
    if (next_section_begins()) return true;
    Record rec{std::string(cur_.s()), {}};
    size_t at = groups_.pos();
    // Groups are read in place, over the groups the last record was moved out of, which a move
    // leaves as new; the last one read is the next record's 0 group.
    size_t count = 0;
    bool more = false;
    do {
      if (count == scratch_.size()) scratch_.emplace_back();
      more = advance(scratch_[count++]);
    } while (more && scratch_[count - 1].code != 0);
    // The data ended inside the section: the record may lack what it needs (a point's y, the
    // end of an application group).
    if (!more && report_ && error_.empty())
      mended("records cut off by the end of the file left out");
    if (!more) return unterminated(section);
    cur_ = std::move(scratch_[count - 1]);
    const auto first = std::make_move_iterator(scratch_.begin());
    rec.groups.assign(first, first + static_cast<std::ptrdiff_t>(count - 1));
    if (!take(rec, at)) return false;
  }
  return true;
}

bool Parser::tables() {
  size_t table = Database::npos;
  return records("TABLES", [&](Record& rec, size_t at) {
    if (rec.type == "TABLE") {
      // A table the host knows is named as files name it, however this one spells it.
      if (std::string name = to_upper(rec.text(2));
          name != rec.text(2) && !table_record_class(name).empty())
        rec.set(Group::text(2, std::move(name)));
      table = db_->add_table(std::move(rec));
    } else if (rec.type == "ENDTAB") {
      table = Database::npos;
    } else if (table == Database::npos) {
      if (!report_)
        return fail(at, "table entry " + rec.type + " outside of a table (expected 0 TABLE)");
      // The entry's type names its table.
      table = db_->table_index(rec.type);
      if (table == Database::npos)
        table = db_->add_table(Record{"TABLE", {Group::text(2, to_upper(rec.type))}});
      mended("table entries outside a table put into their table");
      db_->add_table_entry(table, std::move(rec));
      table = Database::npos;
    } else {
      db_->add_table_entry(table, std::move(rec));
    }
    return true;
  });
}

bool Parser::blocks() {
  size_t block = Database::npos;
  size_t begin_at = 0;
  auto name = [&] { return std::string(db_->record(db_->blocks()[block].begin).text(2)); };
  auto close_block = [&] {
    db_->end_block(block, Record{"ENDBLK", {}});
    block = Database::npos;
    mended("blocks not closed by 0 ENDBLK closed");
  };
  bool ok = records("BLOCKS", [&](Record& rec, size_t at) {
    if (rec.type == "BLOCK") {
      if (block != Database::npos) {
        if (!report_)
          return fail(at, "BLOCK inside block '" + name() + "' (expected 0 ENDBLK first)");
        close_block();
      }
      block = db_->begin_block(std::move(rec));
      begin_at = at;
    } else if (rec.type == "ENDBLK") {
      if (block == Database::npos) {
        if (report_) return mended("0 ENDBLK without a BLOCK left out");
        return fail(at, "ENDBLK without a BLOCK");
      }
      db_->end_block(block, std::move(rec));
      block = Database::npos;
    } else if (block == Database::npos) {
      if (report_) return mended("entities outside a block in BLOCKS left out");
      return fail(at, rec.type + " outside of a block in BLOCKS (expected 0 BLOCK)");
    } else {
      references_.take(rec);
      const bool formed = is_formed(rec);
      note_formed(db_->add_block_entity(block, std::move(rec)), formed);
    }
    return true;
  });
  if (ok && block != Database::npos) {
    if (report_) {
      close_block();
      return true;
    }
    return fail(begin_at, "block '" + name() + "' is not closed by 0 ENDBLK");
  }
  return ok;
}

// A block whose record is missing (a file that lost its TABLES) gets one under the handle its
// BLOCK names as owner, which the layouts of the OBJECTS section point to as well; the record
// points back to the layout that names it.
void Parser::make_block_records(Database& db) {
  size_t table = db.table_index("BLOCK_RECORD");
  for (size_t b = 0; b < db.blocks().size(); ++b) {
    const Record& begin = db.record(db.blocks()[b].begin);
    const std::string name(begin.text(2));
    if (name.empty() ||
        (table != Database::npos && db.table_entry("BLOCK_RECORD", name) != kNoRecord))
      continue;
    if (table == Database::npos)
      table = db.add_table(Record{"TABLE", {Group::text(2, "BLOCK_RECORD")}});
    std::vector<Group> groups;
    const std::string owner(trim(begin.text(330)));
    const uint64_t handle = parse_handle(owner);
    if (handle != 0 && handle != UINT64_MAX && db.find_handle(handle) == kNoRecord)
      groups.push_back(Group::text(5, handle_text(handle)));
    groups.push_back(Group::text(2, name));
    for (RecordId id : db.objects()) {
      const Record& layout = db.record(id);
      const size_t marker = layout.index_of(100);
      if (layout.type != "LAYOUT" || owner.empty()) continue;
      for (size_t k = layout.index_of(100, marker + 1); k < layout.groups.size(); ++k) {
        const Group& g = layout.groups[k];
        if (g.code == 330 && iequals(trim(g.s()), owner)) {
          groups.push_back(Group::text(340, handle_text(layout.handle())));
          k = layout.groups.size();
        }
      }
    }
    db.add_table_entry(table, Record{"BLOCK_RECORD", std::move(groups)});
    report_->add("block records made for blocks without one");
  }
}

// Owners (330), owned objects (360) and dictionary entries (350 after their name) that point to
// records the file lacks are left out, and an application group ("102 {NAME") left empty by
// that with them: an entity's owner is then given by completing. Blocks keep theirs.
void Parser::settle_pointers(Database& db) {
  auto dangling = [&](const Group& g) {
    const uint64_t handle = parse_handle(trim(g.s()));
    return handle != 0 && handle != UINT64_MAX && db.find_handle(handle) == kNoRecord;
  };
  for (RecordId id = 0; id < db.slot_count(); ++id) {
    if (!db.valid(id)) continue;
    const Record& rec = db.record(id);
    // A block's owner is its block record, which names it and which writing follows.
    if (rec.type == "BLOCK" || rec.type == "ENDBLK") continue;
    const size_t xdata = std::min(rec.xdata_begin(), rec.groups.size());
    const bool dictionary = rec.type == "DICTIONARY";
    std::vector<Group> kept;
    size_t left_out = 0;
    for (size_t k = 0; k < rec.groups.size(); ++k) {
      const Group& g = rec.groups[k];
      const bool pointer = g.code == 330 || g.code == 360 || (dictionary && g.code == 350);
      if (k >= xdata || !pointer || !dangling(g)) {
        // An application group that lost everything it held goes too.
        if (k < xdata && g.code == 102 && g.s() == "}" && !kept.empty() &&
            kept.back().code == 102 && kept.back().s().starts_with("{")) {
          kept.pop_back();
          continue;
        }
        kept.push_back(g);
        continue;
      }
      ++left_out;
      if (dictionary && !kept.empty() && kept.back().code == 3) kept.pop_back();
    }
    if (left_out == 0) continue;
    Record mended{rec.type, std::move(kept)};
    if (!mended.has(330) && id < formed_.size()) formed_[id] = false;
    db.replace(id, std::move(mended));
    report_->add("pointers to records the file lacks left out", left_out);
  }
}

// The current dimension style, layer, text style and linetype are entries of their tables, as
// the real host cannot have it otherwise: a header that names one the table lacks (every drawing
// ezdxf makes names "ISO-25" with only "Standard" in its table) gets the default, with a note.
void current_entries_exist(Database& db, std::vector<std::string>& notes) {
  struct Current {
    std::string_view var;
    std::string_view table;
    std::string_view fallback;  // an entry every table has once completed
  };
  static constexpr Current kCurrent[] = {{"$DIMSTYLE", "DIMSTYLE", "STANDARD"},
                                         {"$CLAYER", "LAYER", "0"},
                                         {"$TEXTSTYLE", "STYLE", "STANDARD"},
                                         {"$CELTYPE", "LTYPE", "BYLAYER"}};
  const bool r12 = r12_form(drawing_version(db));
  for (const Current& current : kCurrent) {
    const HeaderVar* var = db.header_var(current.var);
    if (!var || var->groups.empty() || group_type(var->groups[0].code) != GroupType::kText)
      continue;
    const std::string name(var->groups[0].s());
    const bool by_parent =
        current.table == "LTYPE" && (iequals(name, "BYLAYER") || iequals(name, "BYBLOCK"));
    if (by_parent || db.table_entry(current.table, name) != kNoRecord) continue;
    std::string fallback(current.fallback);
    if (const RecordId entry = db.table_entry(current.table, fallback); entry != kNoRecord)
      fallback = std::string(db.record(entry).text(2));
    else if (current.table == "LTYPE" && !r12)
      fallback = "ByLayer";
    notes.push_back(std::string(current.var) + " names \"" + name + "\", which the " +
                    std::string(current.table) + " table lacks: \"" + fallback + "\" made current");
    const int code = var->groups[0].code;
    db.set_header_var(current.var, {Group::text(code, fallback)});
  }
}

// An R12 file's dimension texts are plain text, which the drawing holds as multiline text.
void r12_dimension_texts(Database& db) {
  auto escape = [&](RecordId id) {
    const Record& rec = db.record(id);
    if (rec.type != "DIMENSION") return;
    const size_t at = r12_dimension_text_at(rec);
    if (at == std::string::npos) return;
    Record plain = rec;
    plain.groups[at] = Group::text(1, r12_dimension_text_read(rec.groups[at].s()));
    db.replace(id, std::move(plain));
  };
  for (const Block& block : db.blocks())
    std::for_each(block.entities.begin(), block.entities.end(), escape);
  std::for_each(db.entities().begin(), db.entities().end(), escape);
}

std::unique_ptr<Database> Parser::finish(std::vector<std::string>& notes) {
  std::unique_ptr<Database> db = std::move(db_);
  for (const HeaderVar& var : header_) {
    if (!iequals(var.name, "$HANDSEED") || var.groups.empty()) continue;
    uint64_t seed = parse_handle(var.groups[0].s());
    if (seed != UINT64_MAX) db->raise_handseed(seed);
  }
  for (const Database::Renumbered& r : db->end_load()) {
    const Record& rec = db->record(r.id);
    if (r.duplicate) {
      notes.push_back("duplicate handle " + to_upper(trim(r.old_text)) + " on " + rec.type +
                      " given new handle " + handle_text(rec.handle()));
      if (report_) report_->add("duplicate handles replaced by new ones");
    } else if (!r.old_text.empty()) {
      notes.push_back("invalid handle '" + r.old_text + "' on " + rec.type + " given new handle " +
                      handle_text(rec.handle()));
      if (report_) report_->add("invalid handles replaced by new ones");
    }
  }
  // A loaded drawing has nothing to undo.
  db->set_journaling(false);
  for (HeaderVar& var : header_) {
    if (db->header_var(var.name))
      notes.push_back("header variable " + var.name + " given twice: the last value is kept");
    db->set_header_var(var.name, std::move(var.groups));
  }
  db->set_section_order(std::move(order_));

  // Files without a version are R12's minimal form, unless they hold CLASSES or OBJECTS, which
  // R12 has no place for: saving such a drawing as R12 would lose them. Those are read as R2000,
  // the oldest version most programs write with them.
  const HeaderVar* version = db->header_var("$ACADVER");
  const std::string version_text = drawing_version(*db);
  const bool r13_records = !db->classes().empty() || !db->objects().empty();
  if (!version) {
    notes.push_back(r13_records ? "no $ACADVER, but CLASSES or OBJECTS: read as AC1015 (R2000)"
                                : "no $ACADVER: read as AC1009 (R12)");
    db->set_header_var("$ACADVER", {Group::text(1, r13_records ? "AC1015" : "AC1009")});
  } else if (r13_records && version_number(version_text) == 0) {
    notes.push_back("$ACADVER '" + version_text +
                    "' names no version, but CLASSES or OBJECTS: read as AC1015 (R2000)");
    db->set_header_var("$ACADVER", {Group::text(1, "AC1015")});
  }
  if (r12_form(drawing_version(*db))) r12_dimension_texts(*db);
  if (report_ && !r12_form(drawing_version(*db))) {
    make_block_records(*db);
    settle_pointers(*db);
  }
  complete_drawing(*db, &notes, &formed_);
  current_entries_exist(*db, notes);
  references_.settle(*db, notes);
  // Completing puts the sections in the order their version writes them; the raw ones are kept
  // in that order too, the order they are read back in.
  for (const std::string& name : db->section_order()) {
    for (RawSection& section : raw_)
      if (section.name == name) db->add_raw_section({name, std::move(section.groups)});
  }
  db->set_journaling(true);
  db->clear_journal();
  return db;
}

// The bytes of a file, mapped into memory: no copy of them, and the pages of the mapping filled
// in one step, where each page of a copy would cost a fault of its own. released() unmaps them
// early.
class MappedFile {
 public:
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() { release(); }

  // Null with the error when the file cannot be opened or is no regular file.
  static std::unique_ptr<MappedFile> open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = "cannot open " + path + ": " + errno_text(errno);
      return nullptr;
    }
    std::unique_ptr<MappedFile> file(new MappedFile);
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      error = "cannot read " + path + ": not a regular file";
    } else if (st.st_size > 0) {
      const size_t size = static_cast<size_t>(st.st_size);
      void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (data == MAP_FAILED)
        error = "cannot read " + path + ": " + errno_text(errno);
      else
        file->bytes_ = {static_cast<const char*>(data), size};
    }
    ::close(fd);
    return error.empty() ? std::move(file) : nullptr;
  }

  std::string_view bytes() const { return bytes_; }
  void release() {
    if (!bytes_.empty()) munmap(const_cast<char*>(bytes_.data()), bytes_.size());
    bytes_ = {};
  }

 private:
  MappedFile() = default;
  std::string_view bytes_;
};

// Reads bytes; when they are a file's, unmaps them as soon as every group holds its own value,
// before the drawing is completed.
ReadResult read(std::string_view bytes, std::string_view name, MappedFile* file,
                ReadOptions options) {
  ReadResult result;
  if (trim(bytes).find_first_not_of("\r\n") == std::string_view::npos) {
    result.error = std::string(name) + " is empty: no DXF data";
    return result;
  }
  Parser parser(bytes, options.recover ? &result.recovered : nullptr);
  if (!parser.run()) {
    result.error = parser.error();
    return result;
  }
  result.notes = std::move(parser.notes());
  result.form = bytes.starts_with(kBinarySentinel) ? DxfForm::kBinary : DxfForm::kAscii;
  if (file) file->release();
  result.db = parser.finish(result.notes);
  return result;
}

}  // namespace

void RecoverReport::add(std::string_view kind, size_t count) {
  for (Item& item : items) {
    if (item.kind == kind) {
      item.count += count;
      return;
    }
  }
  items.push_back({std::string(kind), count});
}

size_t RecoverReport::total() const {
  size_t sum = 0;
  for (const Item& item : items) sum += item.count;
  return sum;
}

std::vector<std::string> RecoverReport::lines() const {
  std::vector<std::string> out;
  for (const Item& item : items) out.push_back(item.kind + ": " + std::to_string(item.count));
  return out;
}

ReadResult read_dxf(std::string_view bytes, std::string_view name, ReadOptions options) {
  return read(bytes, name, nullptr, options);
}

ReadResult read_dxf_file(const std::string& path, ReadOptions options) {
  ReadResult result;
  std::unique_ptr<MappedFile> file = MappedFile::open(path, result.error);
  if (!file) return result;
  return read(file->bytes(), path, file.get(), options);
}

}  // namespace cad

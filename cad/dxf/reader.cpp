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
#include "cad/dxf/references.h"
#include "cad/dxf/subclass.h"
#include "cad/dxf/tags.h"

namespace cad {

namespace {

bool named(const Group& g, std::string_view name) { return g.code == 0 && iequals(g.s(), name); }

// Reads the file straight into a database in loading mode (handles of the whole file are known
// before records without one get theirs). A malformed file ends the reading with an error and
// the half-filled database is dropped: nothing half-read is ever seen.
class Parser {
 public:
  explicit Parser(std::string_view bytes)
      : groups_(bytes), file_codec_(groups_.codec()), db_(std::make_unique<Database>()) {
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
    error_ = groups_.where_end() + ": section " + std::string(section) +
             " is not closed by 0 ENDSEC (the file ends)";
    return false;
  }

  bool section();
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
};

bool Parser::run() {
  while (advance()) {
    if (cur_.code == 999) continue;
    if (cur_.code == 9) {
      // Some writers leave header variables outside any section; they are still the header.
      notes_.push_back(groups_.where(groups_.pos()) +
                       ": header variables outside a section read as HEADER");
      add_section("HEADER");
      if (!header()) return false;
      continue;
    }
    if (!named(cur_, "SECTION"))
      return fail(groups_.pos(), "expected 0 SECTION, got " + describe(cur_));
    if (!section()) return false;
  }
  return error_.empty();
}

void Parser::add_section(const std::string& name) {
  if (std::find(order_.begin(), order_.end(), name) == order_.end()) order_.push_back(name);
}

bool Parser::section() {
  size_t at = groups_.pos();
  if (!advance())
    return error_.empty() ? fail(at, "0 SECTION without a name (the file ends)") : false;
  if (cur_.code != 2)
    return fail(groups_.pos(),
                "expected 2 and a section name after 0 SECTION, got " + describe(cur_));
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
    if (named(cur_, "ENDSEC")) return true;
    section->groups.push_back(std::move(cur_));
  } while (advance());
  return unterminated(name);
}

template <typename Take>
bool Parser::records(std::string_view section, Take&& take) {
  while (cur_.code != 0) {
    if (cur_.code != 999)
      return fail(groups_.pos(), "expected 0 and an object type in " + std::string(section) +
                                     ", got " + describe(cur_));
    if (!advance()) return unterminated(section);
  }
  while (!named(cur_, "ENDSEC")) {
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
      return fail(at, "table entry " + rec.type + " outside of a table (expected 0 TABLE)");
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
  bool ok = records("BLOCKS", [&](Record& rec, size_t at) {
    if (rec.type == "BLOCK") {
      if (block != Database::npos)
        return fail(at, "BLOCK inside block '" + name() + "' (expected 0 ENDBLK first)");
      block = db_->begin_block(std::move(rec));
      begin_at = at;
    } else if (rec.type == "ENDBLK") {
      if (block == Database::npos) return fail(at, "ENDBLK without a BLOCK");
      db_->end_block(block, std::move(rec));
      block = Database::npos;
    } else if (block == Database::npos) {
      return fail(at, rec.type + " outside of a block in BLOCKS (expected 0 BLOCK)");
    } else {
      references_.take(rec);
      const bool formed = is_formed(rec);
      note_formed(db_->add_block_entity(block, std::move(rec)), formed);
    }
    return true;
  });
  if (ok && block != Database::npos)
    return fail(begin_at, "block '" + name() + "' is not closed by 0 ENDBLK");
  return ok;
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

std::unique_ptr<Database> Parser::finish(std::vector<std::string>& notes) {
  std::unique_ptr<Database> db = std::move(db_);
  for (const HeaderVar& var : header_) {
    if (!iequals(var.name, "$HANDSEED") || var.groups.empty()) continue;
    uint64_t seed = parse_handle(var.groups[0].s());
    if (seed != UINT64_MAX) db->raise_handseed(seed);
  }
  for (const Database::Renumbered& r : db->end_load()) {
    const Record& rec = db->record(r.id);
    if (r.duplicate)
      notes.push_back("duplicate handle " + to_upper(trim(r.old_text)) + " on " + rec.type +
                      " given new handle " + handle_text(rec.handle()));
    else if (!r.old_text.empty())
      notes.push_back("invalid handle '" + r.old_text + "' on " + rec.type + " given new handle " +
                      handle_text(rec.handle()));
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
ReadResult read(std::string_view bytes, std::string_view name, MappedFile* file) {
  ReadResult result;
  if (trim(bytes).find_first_not_of("\r\n") == std::string_view::npos) {
    result.error = std::string(name) + " is empty: no DXF data";
    return result;
  }
  Parser parser(bytes);
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

ReadResult read_dxf(std::string_view bytes, std::string_view name) {
  return read(bytes, name, nullptr);
}

ReadResult read_dxf_file(const std::string& path) {
  ReadResult result;
  std::unique_ptr<MappedFile> file = MappedFile::open(path, result.error);
  if (!file) return result;
  return read(file->bytes(), path, file.get());
}

}  // namespace cad

#include "cad/dxf/reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "cad/dxf/complete.h"
#include "cad/dxf/tags.h"

namespace cad {

namespace {

struct StagedTable {
  Record head;
  std::vector<Record> entries;
};

struct StagedBlock {
  Record begin;
  std::vector<Record> entities;
  Record end;
};

// The file's content before it becomes a database, so that a malformed file leaves nothing
// half-read and handles of the whole file are known before records without one get theirs.
struct Staged {
  std::vector<HeaderVar> header;
  std::vector<Record> classes;
  std::vector<StagedTable> tables;
  std::vector<StagedBlock> blocks;
  std::vector<Record> entities;
  std::vector<Record> objects;
  std::vector<RawSection> raw;
  std::vector<std::string> order;
};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool named(const Group& g, std::string_view name) { return g.code == 0 && iequals(g.s, name); }

class Parser {
 public:
  explicit Parser(std::string_view bytes) : groups_(bytes) { scratch_.reserve(64); }

  bool run();
  Staged& staged() { return staged_; }
  const std::string& error() const { return error_; }
  std::vector<std::string>& notes() { return notes_; }

 private:
  // Reads the next group into cur_; false at the end of the data or on an error.
  bool advance() {
    if (groups_.next(cur_)) return true;
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

  GroupReader groups_;
  Group cur_;
  std::vector<Group> scratch_;
  Staged staged_;
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
  if (std::find(staged_.order.begin(), staged_.order.end(), name) == staged_.order.end())
    staged_.order.push_back(name);
}

bool Parser::section() {
  size_t at = groups_.pos();
  if (!advance())
    return error_.empty() ? fail(at, "0 SECTION without a name (the file ends)") : false;
  if (cur_.code != 2)
    return fail(groups_.pos(),
                "expected 2 and a section name after 0 SECTION, got " + describe(cur_));
  std::string name(trimmed(cur_.s));
  std::string upper = to_upper(name);
  bool known = upper == "HEADER" || upper == "CLASSES" || upper == "TABLES" || upper == "BLOCKS" ||
               upper == "ENTITIES" || upper == "OBJECTS";
  std::string key = known ? upper : name;
  add_section(key);
  if (!advance()) return unterminated(key);
  if (upper == "HEADER") return header();
  if (upper == "CLASSES")
    return records(key, [&](Record& rec, size_t) {
      staged_.classes.push_back(std::move(rec));
      return true;
    });
  if (upper == "TABLES") return tables();
  if (upper == "BLOCKS") return blocks();
  if (upper == "ENTITIES")
    return records(key, [&](Record& rec, size_t) {
      staged_.entities.push_back(std::move(rec));
      return true;
    });
  if (upper == "OBJECTS")
    return records(key, [&](Record& rec, size_t) {
      staged_.objects.push_back(std::move(rec));
      return true;
    });
  return raw(key);
}

void Parser::header_var_seen(const HeaderVar& var) {
  if (var.groups.empty()) return;
  TextCodec& codec = groups_.codec();
  if (iequals(var.name, "$ACADVER")) {
    if (version_number(trimmed(var.groups[0].s)) >= 1021) codec.set_utf8();
  } else if (iequals(var.name, "$DWGCODEPAGE") && !codec.utf8()) {
    std::string_view page = trimmed(var.groups[0].s);
    if (!codec.set_code_page(page))
      notes_.push_back("unknown code page '" + std::string(page) + "': read as ANSI_1252");
  }
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
      staged_.header.push_back(HeaderVar{std::string(trimmed(cur_.s)), {}});
      var = &staged_.header.back();
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
  for (RawSection& s : staged_.raw)
    if (s.name == name) section = &s;
  if (!section) {
    staged_.raw.push_back(RawSection{name, {}});
    section = &staged_.raw.back();
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
    Record rec;
    rec.type = std::move(cur_.s);
    size_t at = groups_.pos();
    scratch_.clear();
    bool more = false;
    while ((more = advance()) && cur_.code != 0) scratch_.push_back(std::move(cur_));
    rec.groups.assign(std::make_move_iterator(scratch_.begin()),
                      std::make_move_iterator(scratch_.end()));
    if (!more) return unterminated(section);
    if (!take(rec, at)) return false;
  }
  return true;
}

bool Parser::tables() {
  StagedTable* table = nullptr;
  return records("TABLES", [&](Record& rec, size_t at) {
    if (rec.type == "TABLE") {
      staged_.tables.push_back(StagedTable{std::move(rec), {}});
      table = &staged_.tables.back();
    } else if (rec.type == "ENDTAB") {
      table = nullptr;
    } else if (!table) {
      return fail(at, "table entry " + rec.type + " outside of a table (expected 0 TABLE)");
    } else {
      table->entries.push_back(std::move(rec));
    }
    return true;
  });
}

bool Parser::blocks() {
  StagedBlock* block = nullptr;
  size_t begin_at = 0;
  bool ok = records("BLOCKS", [&](Record& rec, size_t at) {
    if (rec.type == "BLOCK") {
      if (block)
        return fail(at, "BLOCK inside block '" + std::string(block->begin.text(2)) +
                            "' (expected 0 ENDBLK first)");
      staged_.blocks.push_back(StagedBlock{std::move(rec), {}, {}});
      block = &staged_.blocks.back();
      begin_at = at;
    } else if (rec.type == "ENDBLK") {
      if (!block) return fail(at, "ENDBLK without a BLOCK");
      block->end = std::move(rec);
      block = nullptr;
    } else if (!block) {
      return fail(at, rec.type + " outside of a block in BLOCKS (expected 0 BLOCK)");
    } else {
      block->entities.push_back(std::move(rec));
    }
    return true;
  });
  if (ok && block)
    return fail(begin_at,
                "block '" + std::string(block->begin.text(2)) + "' is not closed by 0 ENDBLK");
  return ok;
}

// The handle a record gives, or 0 when it gives none or one that cannot be a handle (not
// hexadecimal, zero, or the very last number, above which no seed could go).
uint64_t given_handle(const Record& rec) {
  const Group* g = rec.find(rec.handle_code());
  if (!g) return 0;
  uint64_t h = parse_handle(g->s);
  return h == UINT64_MAX ? 0 : h;
}

// Empties a handle group that holds no handle, so that the database gives the record a new one;
// returns what the group held.
std::string drop_invalid_handle(Record& rec) {
  Group* g = rec.find(rec.handle_code());
  if (!g || rec.type == "CLASS" || given_handle(rec) != 0) return {};
  return std::exchange(g->s, {});
}

// Puts the staged file into a database: handles of the file first, so that records without one
// get new handles above all of them.
std::unique_ptr<Database> build(Staged& staged, std::vector<std::string>& notes) {
  auto db = std::make_unique<Database>();
  uint64_t top = 0;
  bool invalid = false;
  auto scan = [&top, &invalid](const Record& rec) {
    uint64_t h = given_handle(rec);
    top = std::max(top, h);
    invalid = invalid || (h == 0 && rec.type != "CLASS" && rec.find(rec.handle_code()));
  };
  for (const Record& rec : staged.classes) scan(rec);
  for (const StagedTable& t : staged.tables) {
    scan(t.head);
    for (const Record& rec : t.entries) scan(rec);
  }
  for (const StagedBlock& b : staged.blocks) {
    scan(b.begin);
    for (const Record& rec : b.entities) scan(rec);
    scan(b.end);
  }
  for (const Record& rec : staged.entities) scan(rec);
  for (const Record& rec : staged.objects) scan(rec);
  db->raise_handseed(top + 1);
  size_t records = staged.classes.size() + staged.entities.size() + staged.objects.size() + 64;
  for (const StagedTable& t : staged.tables) records += 1 + t.entries.size();
  for (const StagedBlock& b : staged.blocks) records += 2 + b.entities.size();
  db->reserve(records);
  for (const HeaderVar& var : staged.header) {
    if (!iequals(var.name, "$HANDSEED") || var.groups.empty()) continue;
    uint64_t seed = parse_handle(var.groups[0].s);
    if (seed != UINT64_MAX) db->raise_handseed(seed);
  }

  db->set_duplicate_handler([&notes](const Record& rec, uint64_t old_handle) {
    notes.push_back("duplicate handle " + handle_text(old_handle) + " on " + rec.type +
                    " given new handle " + handle_text(rec.handle()));
  });
  auto note_invalid = [&](const std::string& old, RecordId id) {
    if (old.empty()) return;
    const Record& rec = db->record(id);
    notes.push_back("invalid handle '" + old + "' on " + rec.type + " given new handle " +
                    handle_text(rec.handle()));
  };
  // A loaded drawing has nothing to undo.
  db->set_journaling(false);
  auto add = [&](Record& rec, auto&& add_to) {
    std::string old = invalid ? drop_invalid_handle(rec) : std::string();
    note_invalid(old, add_to(std::move(rec)));
  };
  for (HeaderVar& var : staged.header) {
    if (db->header_var(var.name))
      notes.push_back("header variable " + var.name + " given twice: the last value is kept");
    db->set_header_var(var.name, std::move(var.groups));
  }
  for (Record& rec : staged.classes) db->add_class(std::move(rec));
  for (StagedTable& t : staged.tables) {
    size_t index = 0;
    add(t.head, [&](Record r) {
      index = db->add_table(std::move(r));
      return db->tables()[index].head;
    });
    for (Record& rec : t.entries)
      add(rec, [&](Record r) { return db->add_table_entry(index, std::move(r)); });
  }
  for (StagedBlock& b : staged.blocks) {
    std::string old_begin = invalid ? drop_invalid_handle(b.begin) : std::string();
    std::string old_end = invalid ? drop_invalid_handle(b.end) : std::string();
    size_t index = db->add_block(std::move(b.begin), std::move(b.end));
    note_invalid(old_begin, db->blocks()[index].begin);
    note_invalid(old_end, db->blocks()[index].end);
    for (Record& rec : b.entities)
      add(rec, [&](Record r) { return db->add_block_entity(index, std::move(r)); });
  }
  for (Record& rec : staged.entities)
    add(rec, [&](Record r) { return db->add_entity(std::move(r)); });
  for (Record& rec : staged.objects)
    add(rec, [&](Record r) { return db->add_object(std::move(r)); });
  for (RawSection& section : staged.raw) db->add_raw_section(std::move(section));
  db->set_section_order(std::move(staged.order));
  db->set_duplicate_handler(nullptr);

  // Files without a version are R12's minimal form.
  if (!db->header_var("$ACADVER")) {
    notes.push_back("no $ACADVER: read as AC1009 (R12)");
    db->set_header_var("$ACADVER", {Group::text(1, "AC1009")});
  }
  complete_drawing(*db, &notes);
  db->set_journaling(true);
  db->clear_journal();
  return db;
}

std::string lower_first(std::string s) {
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
  return s;
}

}  // namespace

ReadResult read_dxf(std::string_view bytes, std::string_view name) {
  ReadResult result;
  if (trimmed(bytes).find_first_not_of("\r\n") == std::string_view::npos) {
    result.error = std::string(name) + " is empty: no DXF data";
    return result;
  }
  Parser parser(bytes);
  if (!parser.run()) {
    result.error = parser.error();
    return result;
  }
  result.notes = std::move(parser.notes());
  result.db = build(parser.staged(), result.notes);
  return result;
}

ReadResult read_dxf_file(const std::string& path) {
  ReadResult result;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    result.error = "cannot open " + path + ": " + lower_first(std::strerror(errno));
    return result;
  }
  std::streamoff size = in.tellg();
  if (size < 0) {
    result.error = "cannot read " + path + ": not a regular file";
    return result;
  }
  std::string data(static_cast<size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(data.data(), static_cast<std::streamsize>(data.size()))) {
    result.error = "cannot read " + path + ": " + lower_first(std::strerror(errno));
    return result;
  }
  return read_dxf(data, path);
}

}  // namespace cad

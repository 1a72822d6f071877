// The drawing: every object as its DXF record, in the sections and containers of a DXF file
// (header variables, classes, tables, blocks, entities, objects, sections the host does not
// interpret), a handle index, the session's system variables, and the undo journal through which
// every change passes.
//
// Records live in slots addressed by RecordId; a slot stays valid for the life of the database
// (erased records keep their slot so that erasing twice restores, as the host interface wants).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/indexes.h"
#include "cad/db/paged_vector.h"
#include "cad/db/record.h"
#include "cad/db/sysvars.h"

namespace cad {

using RecordId = uint32_t;
constexpr RecordId kNoRecord = 0xffffffffu;

struct HeaderVar {
  std::string name;  // with "$", as in the file
  std::vector<Group> groups;
  bool operator==(const HeaderVar&) const = default;
};

struct Table {
  RecordId head = kNoRecord;  // the TABLE record (its 2 group names the table)
  std::vector<RecordId> entries;
};

struct Block {
  RecordId begin = kNoRecord;  // BLOCK
  std::vector<RecordId> entities;
  RecordId end = kNoRecord;  // ENDBLK
};

// A section the host does not interpret (THUMBNAILIMAGE, ACDSDATA, ...), kept group by group.
struct RawSection {
  std::string name;
  std::vector<Group> groups;
};

// Where a record lives.
enum class Area : uint8_t { kNone, kClasses, kTable, kBlock, kEntities, kObjects };

class Database {
 public:
  Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // ---- records ----
  const Record& record(RecordId id) const {
    ++visits_;
    return slots_[id].rec;
  }
  bool valid(RecordId id) const { return id < slots_.size() && slots_[id].alive; }
  bool erased(RecordId id) const { return slots_[id].erased; }
  Area area(RecordId id) const { return slots_[id].area; }
  // Index of the table or block a record belongs to (for kTable and kBlock).
  size_t area_index(RecordId id) const { return slots_[id].area_index; }
  RecordId find_handle(uint64_t handle) const;
  RecordId find_handle(std::string_view handle_text) const;
  size_t slot_count() const { return slots_.size(); }
  // A number that changes with every database, so names of one cannot be used with another.
  int64_t serial() const { return serial_; }
  // Grows with every change of a system variable (header or session, undo included), so that
  // what is made from variables can be kept until they change.
  uint64_t var_changes() const { return var_changes_; }

  // ---- structure (read access; change through the functions below) ----
  const std::vector<HeaderVar>& header() const { return header_; }
  const std::vector<RecordId>& classes() const { return classes_; }
  const std::vector<Table>& tables() const { return tables_; }
  const std::vector<Block>& blocks() const { return blocks_; }
  const std::vector<RecordId>& entities() const { return entities_; }
  const std::vector<RecordId>& objects() const { return objects_; }
  const std::vector<RawSection>& raw_sections() const { return raw_sections_; }
  // Names of the sections in file order (HEADER, CLASSES, TABLES, BLOCKS, ENTITIES, OBJECTS and
  // any raw section), so a written file keeps the order of the read one.
  const std::vector<std::string>& section_order() const { return section_order_; }
  void set_section_order(std::vector<std::string> order) { section_order_ = std::move(order); }
  void add_raw_section(RawSection section) { raw_sections_.push_back(std::move(section)); }

  // ---- building and changing (every change is journaled) ----
  // Each add gives the record a new handle when it has none (or when its handle is taken; the
  // old handle text is reported through the duplicate handler). Returns the new record's id.
  RecordId add_class(Record rec);
  // Adds a table (its TABLE head record); returns the table's index.
  size_t add_table(Record head);
  RecordId add_table_entry(size_t table, Record rec);
  // Adds a block (BLOCK and ENDBLK records, entities added after); returns the block's index.
  size_t add_block(Record begin, Record end);
  RecordId add_block_entity(size_t block, Record rec);
  RecordId add_entity(Record rec);
  RecordId add_object(Record rec);
  void replace(RecordId id, Record rec);
  void set_erased(RecordId id, bool erased);
  void set_header_var(std::string_view name, std::vector<Group> groups);
  void remove_header_var(std::string_view name);
  // As remove_header_var for each name in turn (a name twice removes its first two), the index
  // of the header built once.
  void remove_header_vars(const std::vector<std::string>& names);

  // ---- loading a file ----
  // While loading, records arrive in file order and keep the handles the file gives them; a
  // record without a usable handle, or with one an earlier record has, waits for end_load, which
  // gives it a new handle above every handle of the file, so that no handle of a later record is
  // taken. Nothing is journaled while loading.
  void begin_load();
  struct Renumbered {
    RecordId id;
    std::string old_text;  // what the handle group held; empty when there was none
    bool duplicate;        // a valid handle an earlier record has
  };
  std::vector<Renumbered> end_load();
  // A block whose ENDBLK comes after its entities, as files hold them; only while loading.
  size_t begin_block(Record begin);
  void end_block(size_t block, Record end);

  // Called when a record arrives with a handle another record already has.
  void set_duplicate_handler(std::function<void(const Record&, uint64_t old_handle)> handler) {
    on_duplicate_ = std::move(handler);
  }

  // Room for this many records in all, so that loading a large drawing does not regrow the
  // record slots and the handle index again and again.
  void reserve(size_t records) {
    slots_.reserve(records);
    handles_.reserve(records);
  }

  // ---- handles ----
  uint64_t handseed() const { return handseed_; }
  void raise_handseed(uint64_t at_least);
  uint64_t take_handle() { return handseed_++; }

  // ---- lookups ----
  const HeaderVar* header_var(std::string_view name) const;
  // Index of the table with this name ("LAYER", "DIMSTYLE", "BLOCK_RECORD", ...), or npos.
  size_t table_index(std::string_view name) const;
  // The live entry of a table with this name (group 2, case-insensitive), or kNoRecord.
  RecordId table_entry(std::string_view table, std::string_view name) const;
  // The live entries of a table, in table order; none when the drawing lacks the table.
  std::vector<RecordId> table_entries(std::string_view table) const;
  // The block with this name (case-insensitive), or npos.
  size_t block_index(std::string_view name) const;
  static constexpr size_t npos = static_cast<size_t>(-1);
  // The highest n for which a block or a block record (BLOCK_RECORD entry) is named head + n,
  // n all digits (case-insensitive; head must not end in a digit); 0 when none is.
  long highest_numbered_block(std::string_view head) const {
    return numbered_blocks_.highest(head);
  }
  // The entities of the ENTITIES section by the applications named in their extended data (1001
  // groups); each application's ids ascend, which is drawing order.
  const IdsByName& xdata_apps() const { return xdata_apps_; }
  // Where a live record stands in its list (ENTITIES, a block, a table...), or npos. Every list
  // holds its records in the order they were added, which is the order of their ids.
  size_t position(RecordId id) const;

  // ---- system variables ----
  // Drawing variables live in the header ($NAME), session variables in the database too so that
  // undo restores both. std::nullopt for an unknown name.
  std::optional<VarValue> get_var(std::string_view name) const;
  // The same for a variable known by its entry in the host's table (all_sysvars(), dim_vars() or
  // sysvar_info()), found without a lookup by name.
  VarValue get_var(const SysVarInfo& info) const;
  // False for an unknown name or a value of the wrong type. read_only variables are set only
  // with force (the host itself keeps them).
  bool set_var(std::string_view name, const VarValue& value, bool force = false);

  // ---- undo journal ----
  size_t journal_size() const { return journal_.size(); }
  // The first record added or changed since mark, and not erased, that holds a number that is
  // not finite, or kNoRecord: the host's last guard that no command puts one into the drawing.
  RecordId non_finite_since(size_t mark) const;
  // Undoes every change after mark, newest first.
  void rollback_to(size_t mark);
  // The same, keeping what was undone so that redo() can make it again. The changes that calls
  // in a row undo are kept together; the next change, or forget_redo(), drops them.
  void undo_to(size_t mark);
  // Makes again, oldest first, every change kept by undo_to, back into the journal. False when
  // nothing is kept.
  bool redo();
  bool can_redo() const { return !redo_.empty(); }
  void forget_redo() { redo_.clear(); }
  // Forgets the journal up to now (a new drawing, a loaded file: nothing to undo or redo); the
  // drawing counts as saved.
  void clear_journal();

  // While off, changes are not journaled (loading a file, where there is nothing to undo).
  void set_journaling(bool on) { journaling_ = on; }

  // ---- changed since saved (the host's DBMOD) ----
  // Whether the drawing differs from what was last read or saved, judged by the journal, through
  // which every change passes: a change journaled since then and not undone. Session variables
  // are no part of a file and do not count. Undoing back to where the drawing was saved makes it
  // unchanged again; undoing past that point makes it changed until the next save, as no later
  // position of the journal can be known to match the file again.
  bool modified() const;
  // The drawing as it is now is what the file holds.
  void mark_saved();

  // ---- testing hooks: for tests only; neither the host nor the module calls them ----

  // Records looked at so far: each read through record() and each the lookups above examine.
  // Tests read it to prove that a command does not walk the whole drawing.
  uint64_t visits() const { return visits_; }

 private:
  struct Slot {
    Record rec;
    Area area = Area::kNone;
    uint32_t area_index = 0;  // 32 bits keep a slot within one cache line
    bool erased = false;
    bool alive = true;
  };
  struct Change {
    enum class Kind : uint8_t { kAdd, kAddTable, kAddBlock, kReplace, kErase, kHeader, kVar };
    // What undoing a replace, a header or a variable change needs. Adds and erases need none,
    // and they are most of the journal: a command keeps one change per record it makes.
    // Undoing a change swaps what it keeps with what the drawing holds, so that the change then
    // keeps what redoing it needs, and redoing swaps back.
    struct Detail {
      // For kReplace: the other record's type and its groups from kept on; the groups before
      // kept are the same in both.
      std::optional<Record> old_record;
      size_t kept = 0;
      std::string name;
      std::optional<std::vector<Group>> old_header;
      std::optional<VarValue> old_var;
      // For kAddBlock once undone: the block's ENDBLK.
      RecordId block_end = kNoRecord;
    };
    Kind kind = Kind::kAdd;
    bool old_erased = false;
    RecordId id = kNoRecord;
    std::unique_ptr<Detail> detail;

    static Change of(Kind kind, RecordId id = kNoRecord) {
      Change c;
      c.kind = kind;
      c.id = id;
      return c;
    }
    Detail& details() {
      if (!detail) detail = std::make_unique<Detail>();
      return *detail;
    }
  };

  RecordId add_slot(Record rec, Area area, size_t area_index);
  void journal(Change change);
  void journal(Change::Kind kind, RecordId id);
  std::vector<RecordId>& container(Area area, size_t index);
  void index_handle(RecordId id);
  // Enters a live record into the indexes by name and by application, or takes it out.
  void index_record(RecordId id, bool add);
  // Header variables by name through header_index_; npos when there is none.
  size_t header_position(std::string_view name) const;
  void note_header_position(size_t position);
  void push_header_var(HeaderVar var);
  void erase_header_var(size_t position);
  void rebuild_header_index();
  void undo(Change& change);
  void redo(Change& change);
  // Undoes the journal back to mark, newest first, moving what it undid into undone when given.
  void unwind_to(size_t mark, std::vector<Change>* undone);
  // The swaps undo and redo share.
  void swap_replaced(Change& change);
  void swap_header(Change& change);
  void swap_var(Change& change);

  PagedVector<Slot> slots_;
  HandleIndex handles_;
  std::vector<HeaderVar> header_;
  std::vector<RecordId> classes_;
  std::vector<Table> tables_;
  std::vector<Block> blocks_;
  std::vector<RecordId> entities_;
  std::vector<RecordId> objects_;
  std::vector<RawSection> raw_sections_;
  std::vector<std::string> section_order_;
  std::map<std::string, VarValue> session_vars_;
  // A deque: a growing journal never moves the changes it holds.
  std::deque<Change> journal_;
  // Changes in the journal that alter what a file holds (all but session variables), and their
  // number and the journal's size when the drawing was last saved; saved_lost_ once the journal
  // was undone past that point.
  size_t file_changes_ = 0;
  size_t saved_file_changes_ = 0;
  size_t saved_size_ = 0;
  bool saved_lost_ = false;
  // Changes undo_to undid, newest first, as redo needs them.
  std::vector<Change> redo_;
  bool journaling_ = true;
  bool loading_ = false;
  std::vector<RecordId> unhandled_;  // records waiting for end_load to give them a handle
  uint64_t handseed_ = 1;
  int64_t serial_;
  uint64_t var_changes_ = 0;
  std::function<void(const Record&, uint64_t)> on_duplicate_;
  std::vector<IdsByName> table_names_;  // entries by name, one index per table
  // Names table_index was asked for, as given, and its answers.
  mutable std::vector<std::pair<std::string, size_t>> table_lookups_;
  IdsByName block_names_;          // BLOCK records by name
  NumberedNames numbered_blocks_;  // names of blocks and block records
  IdsByName xdata_apps_;
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> header_index_;
  // Where each variable of all_sysvars() kept in the header stands in header_, or npos.
  std::vector<size_t> var_positions_;
  mutable uint64_t visits_ = 0;
};

}  // namespace cad

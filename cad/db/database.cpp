#include "cad/db/database.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <utility>

#include "cad/base/text.h"

namespace cad {

namespace {

int64_t next_serial() {
  static int64_t serial = 0;
  return ++serial;
}

// Records that carry no handle in any version of the format.
bool takes_handle(const Record& rec) { return std::string_view(rec.type) != "CLASS"; }

std::string header_name(std::string_view name) {
  std::string out = "$";
  out += to_upper(name);
  return out;
}

}  // namespace

static_assert(HandleIndex::kNone == kNoRecord);

Database::Database() : serial_(next_serial()), var_positions_(all_sysvars().size(), npos) {}

RecordId Database::find_handle(uint64_t handle) const { return handles_.find(handle); }

RecordId Database::find_handle(std::string_view text) const {
  uint64_t h = parse_handle(text);
  return h ? find_handle(h) : kNoRecord;
}

void Database::journal(Change change) {
  if (!journaling_) return;
  if (change.kind != Change::Kind::kVar) ++file_changes_;
  journal_.push_back(std::move(change));
  redo_.clear();
}

void Database::journal(Change::Kind kind, RecordId id) {
  // Loading a drawing adds every record: no change object is made when none is kept.
  if (!journaling_) return;
  ++file_changes_;
  journal_.push_back(Change::of(kind, id));
  redo_.clear();
}

void Database::clear_journal() {
  journal_.clear();
  redo_.clear();
  file_changes_ = 0;
  mark_saved();
}

bool Database::modified() const { return saved_lost_ || file_changes_ != saved_file_changes_; }

void Database::mark_saved() {
  saved_size_ = journal_.size();
  saved_file_changes_ = file_changes_;
  saved_lost_ = false;
}

void Database::raise_handseed(uint64_t at_least) {
  if (handseed_ < at_least) handseed_ = at_least;
}

void Database::index_handle(RecordId id) {
  Record& rec = slots_[id].rec;
  if (!takes_handle(rec)) return;
  uint64_t h = rec.handle();
  if (loading_) {
    // The very last number is no handle: no seed could go above it.
    if (h != 0 && h != UINT64_MAX && handles_.find(h) == kNoRecord) {
      handles_.add(h, id);
      raise_handseed(h + 1);
    } else {
      unhandled_.push_back(id);
    }
    return;
  }
  if (h != 0 && handles_.find(h) == kNoRecord) {
    handles_.add(h, id);
    raise_handseed(h + 1);
    return;
  }
  uint64_t fresh = take_handle();
  rec.set_handle(fresh);
  handles_.add(fresh, id);
  if (h != 0 && on_duplicate_) on_duplicate_(rec, h);
}

RecordId Database::add_slot(Record rec, Area area, size_t area_index) {
  RecordId id = static_cast<RecordId>(slots_.size());
  slots_.push_back(Slot{std::move(rec), area, static_cast<uint32_t>(area_index), false, true});
  index_handle(id);
  index_record(id, true);
  return id;
}

void Database::begin_load() {
  loading_ = true;
  journaling_ = false;
}

std::vector<Database::Renumbered> Database::end_load() {
  std::vector<Renumbered> out;
  for (RecordId id : unhandled_) {
    Record& rec = slots_[id].rec;
    const Group* g = rec.find(rec.handle_code());
    Renumbered r{id, g ? std::string(g->s()) : std::string(), false};
    const uint64_t h = rec.handle();
    r.duplicate = h != 0 && h != UINT64_MAX;
    const uint64_t fresh = take_handle();
    rec.set_handle(fresh);
    handles_.add(fresh, id);
    if (g) out.push_back(std::move(r));
  }
  unhandled_.clear();
  loading_ = false;
  journaling_ = true;
  return out;
}

size_t Database::begin_block(Record begin) {
  assert(loading_);
  size_t index = blocks_.size();
  RecordId b = add_slot(std::move(begin), Area::kNone, index);
  blocks_.push_back(Block{b, {}, kNoRecord});
  return index;
}

void Database::end_block(size_t block, Record end) {
  assert(loading_);
  blocks_[block].end = add_slot(std::move(end), Area::kNone, block);
}

void Database::index_record(RecordId id, bool add) {
  const Slot& slot = slots_[id];
  const Record& rec = slot.rec;
  auto note = [&](IdsByName& index, std::string_view name) {
    if (add)
      index.add(name, id);
    else
      index.remove(name, id);
  };
  auto number = [&](std::string_view name) {
    if (add)
      numbered_blocks_.add(name);
    else
      numbered_blocks_.remove(name);
  };
  switch (slot.area) {
    case Area::kEntities:
      for (size_t k = rec.xdata_begin(); k < rec.groups.size(); ++k)
        if (rec.groups[k].code == 1001) note(xdata_apps_, rec.groups[k].s());
      break;
    case Area::kTable:
      note(table_names_[slot.area_index], rec.text(2));
      if (rec.type == "BLOCK_RECORD") number(rec.text(2));
      break;
    case Area::kNone:
      if (rec.type == "TABLE") table_lookups_.clear();
      // Table heads and ENDBLK records live here too; only a block's BLOCK record has a name.
      if (rec.type == "BLOCK") {
        note(block_names_, rec.text(2));
        number(rec.text(2));
      }
      break;
    case Area::kClasses:
    case Area::kBlock:
    case Area::kObjects:
      break;
  }
}

size_t Database::position(RecordId id) const {
  const Slot& slot = slots_[id];
  const std::vector<RecordId>* list = nullptr;
  switch (slot.area) {
    case Area::kClasses:
      list = &classes_;
      break;
    case Area::kTable:
      list = &tables_[slot.area_index].entries;
      break;
    case Area::kBlock:
      list = &blocks_[slot.area_index].entities;
      break;
    case Area::kEntities:
      list = &entities_;
      break;
    case Area::kObjects:
      list = &objects_;
      break;
    case Area::kNone:
      return npos;
  }
  const auto it = std::lower_bound(list->begin(), list->end(), id);
  return it != list->end() && *it == id ? static_cast<size_t>(it - list->begin()) : npos;
}

std::vector<RecordId>& Database::container(Area area, size_t index) {
  switch (area) {
    case Area::kClasses:
      return classes_;
    case Area::kTable:
      return tables_[index].entries;
    case Area::kBlock:
      return blocks_[index].entities;
    case Area::kEntities:
      return entities_;
    case Area::kObjects:
    case Area::kNone:
      break;
  }
  return objects_;
}

RecordId Database::add_class(Record rec) {
  RecordId id = add_slot(std::move(rec), Area::kClasses, 0);
  classes_.push_back(id);
  journal(Change::Kind::kAdd, id);
  return id;
}

size_t Database::add_table(Record head) {
  size_t index = tables_.size();
  RecordId id = add_slot(std::move(head), Area::kNone, index);
  tables_.push_back(Table{id, {}});
  table_names_.emplace_back();
  journal(Change::Kind::kAddTable, id);
  return index;
}

RecordId Database::add_table_entry(size_t table, Record rec) {
  RecordId id = add_slot(std::move(rec), Area::kTable, table);
  tables_[table].entries.push_back(id);
  journal(Change::Kind::kAdd, id);
  return id;
}

size_t Database::add_block(Record begin, Record end) {
  size_t index = blocks_.size();
  RecordId b = add_slot(std::move(begin), Area::kNone, index);
  RecordId e = add_slot(std::move(end), Area::kNone, index);
  blocks_.push_back(Block{b, {}, e});
  journal(Change::Kind::kAddBlock, b);
  return index;
}

RecordId Database::add_block_entity(size_t block, Record rec) {
  RecordId id = add_slot(std::move(rec), Area::kBlock, block);
  blocks_[block].entities.push_back(id);
  journal(Change::Kind::kAdd, id);
  return id;
}

RecordId Database::add_entity(Record rec) {
  RecordId id = add_slot(std::move(rec), Area::kEntities, 0);
  entities_.push_back(id);
  journal(Change::Kind::kAdd, id);
  return id;
}

RecordId Database::add_object(Record rec) {
  RecordId id = add_slot(std::move(rec), Area::kObjects, 0);
  objects_.push_back(id);
  journal(Change::Kind::kAdd, id);
  return id;
}

void Database::replace(RecordId id, Record rec) {
  Slot& slot = slots_[id];
  index_record(id, false);
  // A record keeps its handle whatever the new groups say.
  const uint64_t old_handle = slot.rec.handle();
  if (takes_handle(rec) && rec.handle() != old_handle) rec.set_handle(old_handle);
  // The journal keeps only the old groups from the first that differs: a change that appends
  // extended data keeps none.
  Change change = Change::of(Change::Kind::kReplace, id);
  Change::Detail& detail = change.details();
  std::vector<Group>& old_groups = slot.rec.groups;
  const size_t common = std::min(old_groups.size(), rec.groups.size());
  while (detail.kept < common && old_groups[detail.kept] == rec.groups[detail.kept]) ++detail.kept;
  const auto tail = old_groups.begin() + static_cast<std::ptrdiff_t>(detail.kept);
  detail.old_record =
      Record{std::move(slot.rec.type),
             {std::make_move_iterator(tail), std::make_move_iterator(old_groups.end())}};
  slot.rec = std::move(rec);
  index_record(id, true);
  journal(std::move(change));
}

void Database::set_erased(RecordId id, bool erased) {
  Slot& slot = slots_[id];
  if (slot.erased == erased) return;
  Change change = Change::of(Change::Kind::kErase, id);
  change.old_erased = slot.erased;
  slot.erased = erased;
  journal(std::move(change));
}

size_t Database::header_position(std::string_view name) const {
  const auto it = header_index_.find(name);
  return it == header_index_.end() ? npos : it->second;
}

void Database::note_header_position(size_t position) {
  const std::string& name = header_[position].name;
  header_index_.emplace(name, position);
  if (name.size() < 2 || name[0] != '$') return;
  const SysVarInfo* info = sysvar_info(std::string_view(name).substr(1));
  if (info == nullptr || info->header_code == 0) return;
  size_t& at = var_positions_[static_cast<size_t>(info - all_sysvars().data())];
  if (at == npos) at = position;
}

void Database::push_header_var(HeaderVar var) {
  ++var_changes_;
  header_.push_back(std::move(var));
  note_header_position(header_.size() - 1);
}

void Database::erase_header_var(size_t position) {
  ++var_changes_;
  header_.erase(header_.begin() + static_cast<std::ptrdiff_t>(position));
  rebuild_header_index();
}

void Database::rebuild_header_index() {
  // The first of equal names is the one found, as a walk in order would find it.
  header_index_.clear();
  std::fill(var_positions_.begin(), var_positions_.end(), npos);
  for (size_t k = 0; k < header_.size(); ++k) note_header_position(k);
}

const HeaderVar* Database::header_var(std::string_view name) const {
  const size_t k = header_position(name);
  return k == npos ? nullptr : &header_[k];
}

void Database::set_header_var(std::string_view name, std::vector<Group> groups) {
  Change change = Change::of(Change::Kind::kHeader);
  change.details().name = std::string(name);
  if (const size_t k = header_position(name); k != npos) {
    ++var_changes_;
    change.detail->old_header = std::move(header_[k].groups);
    header_[k].groups = std::move(groups);
    journal(std::move(change));
    return;
  }
  push_header_var(HeaderVar{std::string(name), std::move(groups)});
  journal(std::move(change));
}

void Database::remove_header_var(std::string_view name) { remove_header_vars({std::string(name)}); }

void Database::remove_header_vars(const std::vector<std::string>& names) {
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> wanted;
  for (const std::string& name : names)
    if (header_position(name) != npos) ++wanted[name];
  if (wanted.empty()) return;
  std::vector<HeaderVar> kept;
  kept.reserve(header_.size());
  for (HeaderVar& var : header_) {
    const auto it = wanted.find(var.name);
    if (it == wanted.end() || it->second == 0) {
      kept.push_back(std::move(var));
      continue;
    }
    --it->second;
    ++var_changes_;
    Change change = Change::of(Change::Kind::kHeader);
    change.details().name = var.name;
    change.detail->old_header = std::move(var.groups);
    // Undo puts it back at the end; the order of header variables carries no meaning.
    journal(std::move(change));
  }
  header_ = std::move(kept);
  rebuild_header_index();
}

std::vector<RecordId> Database::table_entries(std::string_view table) const {
  std::vector<RecordId> out;
  const size_t t = table_index(table);
  if (t == npos) return out;
  for (RecordId id : tables_[t].entries)
    if (valid(id) && !erased(id)) out.push_back(id);
  return out;
}

size_t Database::table_index(std::string_view name) const {
  // Every record a command makes asks for its table by name, always in the same few spellings:
  // the answers are kept until a table comes or goes or a table's head changes.
  for (const auto& [known, k] : table_lookups_)
    if (known == name) return k;
  size_t found = npos;
  for (size_t k = 0; k < tables_.size() && found == npos; ++k)
    if (iequals(slots_[tables_[k].head].rec.text(2), name)) found = k;
  constexpr size_t kKept = 16;
  if (table_lookups_.size() < kKept) table_lookups_.emplace_back(std::string(name), found);
  return found;
}

RecordId Database::table_entry(std::string_view table, std::string_view name) const {
  size_t t = table_index(table);
  if (t == npos) return kNoRecord;
  for (RecordId id : table_names_[t].find(name)) {
    ++visits_;
    if (!slots_[id].erased) return id;
  }
  return kNoRecord;
}

size_t Database::block_index(std::string_view name) const {
  for (RecordId id : block_names_.find(name)) {
    ++visits_;
    if (!slots_[id].erased) return slots_[id].area_index;
  }
  return npos;
}

std::optional<VarValue> Database::get_var(std::string_view name) const {
  const SysVarInfo* info = sysvar_info(name);
  if (!info) return std::nullopt;
  return get_var(*info);
}

VarValue Database::get_var(const SysVarInfo& info) const {
  // Read for every variable of every dimension drawn: found once, compared by place.
  static const SysVarInfo* const handseed = sysvar_info("HANDSEED");
  if (&info == handseed) return VarValue::text(handle_text(handseed_));
  if (info.header_code == 0) {
    auto it = session_vars_.find(info.name);
    return it == session_vars_.end() ? sysvar_default(info) : it->second;
  }
  const size_t k = var_positions_[static_cast<size_t>(&info - all_sysvars().data())];
  if (k == npos || header_[k].groups.empty()) return sysvar_default(info);
  return var_value(header_[k].groups.front(), info.type);
}

bool Database::set_var(std::string_view name, const VarValue& value, bool force) {
  const SysVarInfo* info = sysvar_info(name);
  if (!info || (info->read_only && !force)) return false;
  bool integral = info->type == VarType::kShort || info->type == VarType::kLong;
  bool value_integral = value.type == VarType::kShort || value.type == VarType::kLong;
  if (integral != value_integral || (!integral && info->type != value.type)) return false;
  // No drawing holds NaN or infinity.
  if ((value.type == VarType::kReal && !std::isfinite(value.r)) ||
      (value.type == VarType::kPoint && !all_finite(value.p)))
    return false;
  VarValue stored = value;
  stored.type = info->type;
  if (info->header_code == 0) {
    Change change = Change::of(Change::Kind::kVar);
    change.details().name = info->name;
    auto it = session_vars_.find(info->name);
    if (it != session_vars_.end()) change.detail->old_var = it->second;
    ++var_changes_;
    session_vars_[info->name] = stored;
    journal(std::move(change));
    return true;
  }
  Group g;
  switch (info->type) {
    case VarType::kReal:
      g = Group::real(info->header_code, stored.r);
      break;
    case VarType::kString:
      g = Group::text(info->header_code, stored.s);
      break;
    case VarType::kPoint:
      g = Group::point(info->header_code, stored.p);
      break;
    case VarType::kShort:
    case VarType::kLong:
      g = Group::integer(info->header_code, stored.i);
      break;
  }
  set_header_var(header_name(info->name), {g});
  return true;
}

void Database::swap_replaced(Change& change) {
  Record& rec = slots_[change.id].rec;
  Change::Detail& detail = *change.detail;
  index_record(change.id, false);
  std::swap(rec.type, detail.old_record->type);
  const auto tail = rec.groups.begin() + static_cast<std::ptrdiff_t>(detail.kept);
  std::vector<Group> other(std::make_move_iterator(tail),
                           std::make_move_iterator(rec.groups.end()));
  rec.groups.erase(tail, rec.groups.end());
  rec.groups.insert(rec.groups.end(), std::make_move_iterator(detail.old_record->groups.begin()),
                    std::make_move_iterator(detail.old_record->groups.end()));
  detail.old_record->groups = std::move(other);
  index_record(change.id, true);
}

void Database::swap_header(Change& change) {
  ++var_changes_;
  Change::Detail& detail = *change.detail;
  std::optional<std::vector<Group>> other;
  if (const size_t k = header_position(detail.name); k != npos) {
    other = std::move(header_[k].groups);
    if (detail.old_header)
      header_[k].groups = std::move(*detail.old_header);
    else
      erase_header_var(k);
  } else if (detail.old_header) {
    push_header_var({detail.name, std::move(*detail.old_header)});
  }
  detail.old_header = std::move(other);
}

void Database::swap_var(Change& change) {
  ++var_changes_;
  Change::Detail& detail = *change.detail;
  std::optional<VarValue> other;
  if (auto it = session_vars_.find(detail.name); it != session_vars_.end()) {
    other = std::move(it->second);
    session_vars_.erase(it);
  }
  if (detail.old_var) session_vars_[detail.name] = std::move(*detail.old_var);
  detail.old_var = std::move(other);
}

void Database::undo(Change& change) {
  switch (change.kind) {
    case Change::Kind::kAdd: {
      Slot& slot = slots_[change.id];
      std::vector<RecordId>& list = container(slot.area, slot.area_index);
      assert(!list.empty() && list.back() == change.id);
      index_record(change.id, false);
      list.pop_back();
      handles_.remove(slot.rec.handle());
      slot.alive = false;
      break;
    }
    case Change::Kind::kAddTable: {
      Slot& slot = slots_[change.id];
      assert(!tables_.empty() && tables_.back().head == change.id &&
             tables_.back().entries.empty());
      tables_.pop_back();
      table_names_.pop_back();
      table_lookups_.clear();
      handles_.remove(slot.rec.handle());
      slot.alive = false;
      break;
    }
    case Change::Kind::kAddBlock: {
      Block& block = blocks_.back();
      assert(block.begin == change.id && block.entities.empty());
      index_record(block.begin, false);
      for (RecordId id : {block.begin, block.end}) {
        handles_.remove(slots_[id].rec.handle());
        slots_[id].alive = false;
      }
      change.details().block_end = block.end;
      blocks_.pop_back();
      break;
    }
    case Change::Kind::kReplace:
      swap_replaced(change);
      break;
    case Change::Kind::kErase:
      std::swap(slots_[change.id].erased, change.old_erased);
      break;
    case Change::Kind::kHeader:
      swap_header(change);
      break;
    case Change::Kind::kVar:
      swap_var(change);
      break;
  }
}

void Database::redo(Change& change) {
  // Handles are never given twice, so an added record's handle is still its own.
  switch (change.kind) {
    case Change::Kind::kAdd: {
      Slot& slot = slots_[change.id];
      container(slot.area, slot.area_index).push_back(change.id);
      slot.alive = true;
      if (takes_handle(slot.rec)) handles_.add(slot.rec.handle(), change.id);
      index_record(change.id, true);
      break;
    }
    case Change::Kind::kAddTable: {
      Slot& slot = slots_[change.id];
      tables_.push_back(Table{change.id, {}});
      table_names_.emplace_back();
      table_lookups_.clear();
      slot.alive = true;
      handles_.add(slot.rec.handle(), change.id);
      break;
    }
    case Change::Kind::kAddBlock: {
      const RecordId end = change.detail->block_end;
      blocks_.push_back(Block{change.id, {}, end});
      for (RecordId id : {change.id, end}) {
        slots_[id].alive = true;
        handles_.add(slots_[id].rec.handle(), id);
      }
      index_record(change.id, true);
      break;
    }
    case Change::Kind::kReplace:
    case Change::Kind::kErase:
    case Change::Kind::kHeader:
    case Change::Kind::kVar:
      // The same swaps as undoing.
      undo(change);
      break;
  }
}

RecordId Database::non_finite_since(size_t mark) const {
  for (size_t k = mark; k < journal_.size(); ++k) {
    const Change& change = journal_[k];
    if (change.kind == Change::Kind::kHeader || change.kind == Change::Kind::kVar ||
        change.kind == Change::Kind::kErase || slots_[change.id].erased)
      continue;
    const std::vector<Group>& groups = slots_[change.id].rec.groups;
    if (!std::all_of(groups.begin(), groups.end(), [](const Group& g) { return g.finite(); }))
      return change.id;
  }
  return kNoRecord;
}

void Database::rollback_to(size_t mark) { unwind_to(mark, nullptr); }

void Database::undo_to(size_t mark) { unwind_to(mark, &redo_); }

void Database::unwind_to(size_t mark, std::vector<Change>* undone) {
  while (journal_.size() > mark) {
    Change& change = journal_.back();
    undo(change);
    if (change.kind != Change::Kind::kVar) --file_changes_;
    if (undone) undone->push_back(std::move(change));
    journal_.pop_back();
  }
  if (mark < saved_size_) saved_lost_ = true;
}

bool Database::redo() {
  if (redo_.empty()) return false;
  while (!redo_.empty()) {
    Change& change = redo_.back();
    redo(change);
    if (change.kind != Change::Kind::kVar) ++file_changes_;
    journal_.push_back(std::move(change));
    redo_.pop_back();
  }
  return true;
}

}  // namespace cad

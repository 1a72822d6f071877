#include "cad/dxf/unused.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "cad/base/text.h"
#include "cad/dxf/complete.h"
#include "cad/dxf/r12_entities.h"
#include "cad/dxf/subclass.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

bool starts_with_no_case(std::string_view s, std::string_view head) {
  return s.size() >= head.size() && iequals(s.substr(0, head.size()), head);
}

bool anonymous_block(const Record& begin) {
  const std::string_view name = begin.text(2);
  if (!name.starts_with('*') || (begin.integer(70) & kBlockAnonymous) == 0) return false;
  return !starts_with_no_case(name, "*Model_Space") && !starts_with_no_case(name, "*Paper_Space");
}

class UseFinder {
 public:
  // An R12 file leaves out objects and the entities R12 has no form for: they use nothing.
  explicit UseFinder(const Database& db)
      : db_(db), r12_(r12_form(drawing_version(db))), r12_forms_(db.handseed()) {}

  // False when the drawing has nothing that could be left out.
  bool find_candidates();
  void walk();
  std::unordered_set<RecordId> unused() const;

 private:
  struct Candidate {
    size_t block = Database::npos;  // the block's index; npos for an application name
    std::vector<RecordId> records;  // what leaving it out leaves out
    bool used = false;
  };

  size_t add(size_t block, RecordId record) {
    candidates_.push_back({block, {record}, false});
    own_.insert(record);
    return candidates_.size() - 1;
  }
  void use(size_t candidate) {
    Candidate& c = candidates_[candidate];
    if (c.used) return;
    c.used = true;
    if (c.block != Database::npos) pending_.push_back(candidate);
  }
  // Marks what rec refers to as used; names says whether its group 2 may name a block (entities
  // and objects, not table entries or BLOCK records, whose group 2 is their own name).
  // Written for R12, only the groups R12 has count.
  void visit(const Record& rec, bool names);
  void visit_groups(const Record& rec, bool names);
  // Written for R12, the records R12's forms write in an entity's place count instead of it.
  void visit_live(const std::vector<RecordId>& ids, bool names) {
    for_each_live(db_, ids, [&](const Record& rec) {
      if (!r12_) return visit(rec, names);
      if (!r12_writes(rec.type)) return;
      std::vector<Record> written;
      if (!r12_forms_.convert(rec, written)) return visit(rec, names);
      for (const Record& form : written) visit(form, names);
    });
  }
  void visit_block(const Block& block) {
    visit(db_.record(block.begin), false);
    visit_live(block.entities, true);
    visit(db_.record(block.end), false);
  }

  const Database& db_;
  const bool r12_;
  R12Entities r12_forms_;
  std::vector<Candidate> candidates_;
  // The candidates' own table entries, which count only when their candidate is used.
  std::unordered_set<RecordId> own_;
  std::unordered_map<std::string, size_t> blocks_by_name_;  // upper case
  std::unordered_map<std::string, size_t> apps_by_name_;    // upper case
  std::unordered_map<uint64_t, size_t> by_handle_;
  std::vector<size_t> pending_;  // used blocks whose records are still to be visited
};

bool UseFinder::find_candidates() {
  std::unordered_map<std::string, RecordId> block_records;
  if (const size_t t = db_.table_index("BLOCK_RECORD"); t != Database::npos) {
    for (RecordId id : db_.tables()[t].entries)
      if (!db_.erased(id)) block_records.emplace(to_upper(db_.record(id).text(2)), id);
  }
  for (size_t b = 0; b < db_.blocks().size(); ++b) {
    const Block& block = db_.blocks()[b];
    if (db_.erased(block.begin)) continue;
    const Record& begin = db_.record(block.begin);
    if (!anonymous_block(begin)) continue;
    std::string name = to_upper(begin.text(2));
    if (auto seen = blocks_by_name_.find(name); seen != blocks_by_name_.end()) {
      // Two blocks of one name: which of them a reference means is not clear, so both stay.
      use(seen->second);
      use(add(b, block.begin));
      continue;
    }
    const size_t c = add(b, block.begin);
    blocks_by_name_.emplace(name, c);
    if (auto record = block_records.find(name); record != block_records.end()) {
      candidates_[c].records.push_back(record->second);
      own_.insert(record->second);
      by_handle_.emplace(db_.record(record->second).handle(), c);
    }
    by_handle_.emplace(begin.handle(), c);
    by_handle_.emplace(db_.record(block.end).handle(), c);
    for (RecordId id : block.entities) by_handle_.emplace(db_.record(id).handle(), c);
  }
  if (const size_t t = db_.table_index("APPID"); t != Database::npos) {
    for (RecordId id : db_.tables()[t].entries) {
      const Record& rec = db_.record(id);
      if (db_.erased(id) || !rec.text(2).starts_with('$')) continue;
      const size_t c = add(Database::npos, id);
      apps_by_name_.emplace(to_upper(rec.text(2)), c);
      by_handle_.emplace(rec.handle(), c);
    }
  }
  by_handle_.erase(0);
  return !candidates_.empty();
}

void UseFinder::visit(const Record& rec, bool names) {
  if (r12_ && has_r13_groups(rec)) {
    Record written = rec;
    strip_to_r12(written);
    visit_groups(written, names);
  } else {
    visit_groups(rec, names);
  }
}

void UseFinder::visit_groups(const Record& rec, bool names) {
  bool xdata = false;
  for (const Group& g : rec.groups) {
    if (g.code == 1001) {
      xdata = true;
      if (auto it = apps_by_name_.find(to_upper(g.s())); it != apps_by_name_.end()) use(it->second);
    } else if (g.code == 2 && names && !xdata) {
      if (auto it = blocks_by_name_.find(to_upper(g.s())); it != blocks_by_name_.end())
        use(it->second);
    } else if (g.code != 5 && g.code != 105 && group_type(g.code) == GroupType::kHandle) {
      if (auto it = by_handle_.find(parse_handle(g.s())); it != by_handle_.end()) use(it->second);
    }
  }
}

void UseFinder::walk() {
  for (const Table& table : db_.tables()) {
    if (db_.erased(table.head) || (r12_ && db_.record(table.head).text(2) == "BLOCK_RECORD"))
      continue;
    visit(db_.record(table.head), false);
    for (RecordId id : table.entries)
      if (!db_.erased(id) && !own_.contains(id)) visit(db_.record(id), false);
  }
  std::vector<bool> candidate_block(db_.blocks().size(), false);
  for (const Candidate& c : candidates_)
    if (c.block != Database::npos) candidate_block[c.block] = true;
  for (size_t b = 0; b < db_.blocks().size(); ++b)
    if (!candidate_block[b] && !db_.erased(db_.blocks()[b].begin)) visit_block(db_.blocks()[b]);
  visit_live(db_.entities(), true);
  if (!r12_)
    for (RecordId id : db_.objects())
      if (!db_.erased(id)) visit(db_.record(id), true);
  while (!pending_.empty()) {
    const Candidate& c = candidates_[pending_.back()];
    pending_.pop_back();
    for (RecordId id : c.records)
      if (id != db_.blocks()[c.block].begin) visit(db_.record(id), false);
    visit_block(db_.blocks()[c.block]);
  }
}

std::unordered_set<RecordId> UseFinder::unused() const {
  std::unordered_set<RecordId> out;
  for (const Candidate& c : candidates_)
    if (!c.used) out.insert(c.records.begin(), c.records.end());
  return out;
}

}  // namespace

std::unordered_set<RecordId> unused_records(const Database& db) {
  UseFinder finder(db);
  if (!finder.find_candidates()) return {};
  finder.walk();
  return finder.unused();
}

}  // namespace cad

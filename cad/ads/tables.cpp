// Symbol tables through the C interface: an entry as a list of 0 (type), 2 (name), 70 (flags)
// and its further groups. What only the file needs (handles, owners, subclass markers, reactor
// groups, extended data) is left out. The table "BLOCK" lists the drawing's blocks, with -2
// naming a block's first entity.
#include <string>
#include <string_view>
#include <utility>

#include "cad/ads/bridge.h"
#include "cad/ads/state.h"
#include "cad/base/text.h"
#include "host/adslib.h"

namespace cad {
namespace {

bool file_only(int code) {
  return code == 5 || code == 105 || code == 100 || code == 330 || code == 360;
}

resbuf* entry_list(const Database& db, RecordId id, const Block* block) {
  const Record& rec = db.record(id);
  RbBuilder list;
  list.add_text(0, rec.type);
  list.add_text(2, rec.text(2));
  list.add_short(70, static_cast<int>(rec.integer(70)));
  size_t end = rec.xdata_begin();
  bool in_reactors = false;
  for (size_t k = 0; k < end; ++k) {
    const Group& g = rec.groups[k];
    if (g.code == 102) {
      in_reactors = g.s().starts_with('{');
      continue;
    }
    if (in_reactors || file_only(g.code) || g.code == 2 || g.code == 70) continue;
    list.add_group(g);
  }
  if (block) {
    for (RecordId e : block->entities) {
      if (db.erased(e)) continue;
      ads_name name;
      make_name(db, e, name);
      list.add_name(-2, name);
      break;
    }
  }
  return list.release();
}

// The live entries of a table, or the BLOCK records of the blocks, in drawing order.
std::vector<std::pair<RecordId, const Block*>> entries(const Database& db, std::string_view table) {
  std::vector<std::pair<RecordId, const Block*>> out;
  if (iequals(table, "BLOCK")) {
    for (const Block& b : db.blocks())
      if (db.valid(b.begin) && !db.erased(b.begin)) out.emplace_back(b.begin, &b);
    return out;
  }
  for (RecordId id : db.table_entries(table)) out.emplace_back(id, nullptr);
  return out;
}

// The live entry named name (case-insensitive) of a table, or the BLOCK record of the block of
// that name, found through the drawing's indexes by name; the first in drawing order when names
// repeat. kNoRecord when there is none.
std::pair<RecordId, const Block*> find_entry(const Database& db, std::string_view table,
                                             std::string_view name) {
  if (iequals(table, "BLOCK")) {
    const size_t b = db.block_index(name);
    if (b == Database::npos) return {kNoRecord, nullptr};
    return {db.blocks()[b].begin, &db.blocks()[b]};
  }
  return {db.table_entry(table, name), nullptr};
}

// Where a live entry stands among the live entries of its table (as entries lists them).
size_t live_position(const Database& db, std::string_view table, RecordId id) {
  const auto list = entries(db, table);
  size_t k = 0;
  while (k < list.size() && list[k].first != id) ++k;
  return k;
}

}  // namespace
}  // namespace cad

resbuf* acdbTblSearch(const ACHAR* tblname, const ACHAR* sym, int setnext) {
  if (!tblname || !sym) return nullptr;
  cad::Host& h = cad::host();
  std::string table = cad::to_upper(cad::to_utf8(tblname));
  std::string name = cad::to_utf8(sym);
  const auto [id, block] = cad::find_entry(h.db(), table, name);
  if (id == cad::kNoRecord) return nullptr;
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return nullptr;
  if (setnext) h.iface().table_cursors[table] = cad::live_position(h.db(), table, id) + 1;
  return cad::entry_list(h.db(), id, block);
}

resbuf* acdbTblNext(const ACHAR* tblname, int rewind) {
  if (!tblname) return nullptr;
  cad::Host& h = cad::host();
  std::string table = cad::to_upper(cad::to_utf8(tblname));
  auto list = cad::entries(h.db(), table);
  size_t& cursor = h.iface().table_cursors[table];
  if (rewind) cursor = 0;
  if (cursor >= list.size()) return nullptr;
  // The walk stays where it was, so that the next call hands the same entry.
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return nullptr;
  const auto& [id, block] = list[cursor++];
  return cad::entry_list(h.db(), id, block);
}

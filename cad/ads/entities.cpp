// Entity lists through the C interface: reading (acdbEntGet, acdbEntGetX), making
// (acdbEntMake), changing (acdbEntMod), erasing (acdbEntDel) and walking (acdbEntLast,
// acdbEntNext, acdbHandEnt) the drawing's records, and registering applications.
//
// Lists hold the record's groups as stored: points as the entity keeps them (world or object
// coordinates), angles in radians, owner and other handles (330...) as hexadecimal text.
//
// A list with NaN or infinity in a number or a point is refused (RTERROR), as is a list the
// drawing could not hold otherwise. So is a new layer, block or application of a name the host
// does not take (valid_table_name), or a table entry renamed to one; acdbEntMake makes no table
// entries but the layers its entities name, and refuses an entity that names a linetype, text
// style, dimension style or block the drawing lacks (references.h), as does acdbEntMod.
//
// acdbEntMake takes the entity types the host knows (kSimpleTypes below) into model space, or
// paper space with 67 = 1; a missing layer is created, a missing 8 means CLAYER. A POLYLINE
// (or an INSERT with 66 = 1) is made record by record: VERTEX (ATTRIB) records follow, and the
// whole entity enters the drawing with its SEQEND. BLOCK ... ENDBLK makes a block the same way;
// an anonymous block (name beginning "*", flag 1) is named "*U<n>" at ENDBLK, which answers
// RTKWORD, and acedGetInput then gives that name.
#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/ads/state.h"
#include "cad/base/text.h"
#include "cad/base/utf8.h"
#include "cad/dxf/references.h"
#include "cad/select/wildcard.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"
#include "host/adslib.h"

namespace cad {
namespace {

bool known_simple(std::string_view type) {
  const EntityType* found = find_entity_type(type);
  return found != nullptr && found->made_alone;
}

// Groups an entity cannot do without, and the entries it names.
bool complete(const Database& db, const Record& rec) {
  if (!references_held(db, rec)) return false;
  const EntityType* type = find_entity_type(rec.type);
  if (type == nullptr) return true;
  if (!std::all_of(type->required.begin(), type->required.end(),
                   [&](int code) { return rec.has(code); }))
    return false;
  const std::string& t = rec.type;
  if (t == "CIRCLE" || t == "ARC") return rec.real(40) > 0;
  if (t == "INSERT") return db.block_index(rec.text(2)) != Database::npos;
  return true;
}

// An entity list taken apart: the record and the extended data by application.
struct ParsedList {
  RecordId named = kNoRecord;  // -1
  bool named_given = false;
  Record rec;
  bool has_xdata = false;
  std::vector<std::pair<std::string, std::vector<Group>>> xdata;
};

bool app_registered(const Database& db, std::string_view app) {
  return db.table_entry("APPID", app) != kNoRecord;
}

bool parse_list(const Database& db, const resbuf* rb, ParsedList& out) {
  size_t items = 0;
  for (const resbuf* node = rb; node && node->restype != -3; node = node->rbnext) ++items;
  out.rec.groups.reserve(items);
  bool in_xdata = false;
  for (; rb; rb = rb->rbnext) {
    int code = rb->restype;
    if (code == -1) {
      out.named_given = true;
      out.named = name_record(db, rb->resval.rlname);
      continue;
    }
    if (code == 0 || code == RTDXF0) {
      if (!out.rec.type.empty() || in_xdata) return false;
      out.rec.type = to_upper(to_utf8(rb->resval.rstring));
      continue;
    }
    if (code == -3) {
      in_xdata = out.has_xdata = true;
      continue;
    }
    if (in_xdata) {
      if (code == 1001) {
        std::string app = to_utf8(rb->resval.rstring);
        if (!app_registered(db, app)) return false;
        out.xdata.emplace_back(std::move(app), std::vector<Group>{});
        continue;
      }
      if (code < 1000 || code > 1071 || out.xdata.empty()) return false;
      out.xdata.back().second.push_back(rb_to_group(*rb));
      if (!out.xdata.back().second.back().finite()) return false;
      continue;
    }
    // Handles belong to the drawing; reactor chains to the objects that keep them.
    if (code == 5 || code == 105 || code == -5) continue;
    if (code < 0 || code >= 1000) return false;
    // A layer or block name must reach the drawing as it was given.
    if ((code == 8 || code == 2) && rb_value(code) == RbValue::kString &&
        !valid_wide(rb->resval.rstring))
      return false;
    Group g = rb_to_group(*rb);
    if (!g.finite()) return false;
    // Polyline vertices are 2D, as a file keeps them.
    if (g.code == 10 && out.rec.type == "LWPOLYLINE") g.dims = 2;
    out.rec.groups.push_back(std::move(g));
  }
  return !out.rec.type.empty() || out.named_given;
}

// Whether an entity may name this layer: one the drawing has, or a name the host takes for a new
// one.
bool layer_usable(const Database& db, std::string_view name) {
  return db.table_entry("LAYER", name) != kNoRecord || valid_table_name(name);
}

void ensure_layer(Database& db, std::string_view name) {
  if (db.table_entry("LAYER", name) != kNoRecord) return;
  size_t table = db.table_index("LAYER");
  if (table == Database::npos) table = db.add_table(Record{"TABLE", {Group::text(2, "LAYER")}});
  db.add_table_entry(table, Record{"LAYER",
                                   {Group::text(2, std::string(name)), Group::integer(70, 0),
                                    Group::integer(62, 7), Group::text(6, "CONTINUOUS")}});
}

// The layer group every entity has: the given one (created when missing) or CLAYER. False, with
// nothing changed, for a missing layer of a name the host does not take.
bool settle_layer(Database& db, Record& rec) {
  if (rec.has(8) && !layer_usable(db, rec.text(8))) return false;
  if (!rec.has(8)) {
    auto clayer = db.get_var("CLAYER");
    rec.groups.insert(rec.groups.begin(), Group::text(8, clayer ? clayer->s : "0"));
  }
  ensure_layer(db, rec.text(8));
  return true;
}

void append_xdata(Record& rec, const ParsedList& list) {
  for (const auto& [app, items] : list.xdata) {
    if (items.empty())
      rec.remove_xdata(app);
    else
      rec.set_xdata(app, items);
  }
}

std::string anonymous_name(const Database& db, std::string_view given) {
  // "*U", "*D", "*X"...: the letter after the star, U when there is none.
  std::string prefix = "*";
  prefix += given.size() > 1 ? ascii_upper(given[1]) : 'U';
  long next = 1;
  for (const Block& b : db.blocks()) {
    std::string_view name = db.record(b.begin).text(2);
    if (name.size() <= prefix.size() || !iequals(name.substr(0, prefix.size()), prefix)) continue;
    std::string digits(name.substr(prefix.size()));
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    next = std::max(next, std::stol(digits) + 1);
  }
  return prefix + std::to_string(next);
}

// Puts made records into the drawing: into the block being made, or model/paper space.
void place(Host& h, std::vector<Record> records) {
  InterfaceState& state = h.iface();
  if (state.block) {
    for (Record& r : records) state.block->entities.push_back(std::move(r));
    return;
  }
  for (Record& r : records) h.db().add_entity(std::move(r));
}

int make_block_end(Host& h, Record end) {
  InterfaceState& state = h.iface();
  if (!state.block) return RTERROR;
  if (end.has(8) && !layer_usable(h.db(), end.text(8))) return RTERROR;
  InterfaceState::PendingBlock block = std::move(*state.block);
  state.block.reset();
  state.complex.clear();
  Database& db = h.db();
  std::string name(block.begin.text(2));
  bool anonymous =
      !name.empty() && name[0] == '*' && (block.begin.integer(70) & kBlockAnonymous) != 0;
  if (anonymous) {
    name = anonymous_name(db, name);
    block.begin.set(Group::text(2, name));
  } else if (db.block_index(name) != Database::npos) {
    return RTERROR;
  }
  if (!block.begin.has(10)) block.begin.set(Group::point(10, {}));
  settle_layer(db, end);
  size_t records = db.table_index("BLOCK_RECORD");
  if (records != Database::npos) {
    RecordId entry = db.add_table_entry(records, Record{"BLOCK_RECORD", {Group::text(2, name)}});
    std::string owner = handle_text(db.record(entry).handle());
    block.begin.set(Group::text(330, owner));
    end.set(Group::text(330, owner));
  }
  size_t index = db.add_block(std::move(block.begin), std::move(end));
  for (Record& r : block.entities) db.add_block_entity(index, std::move(r));
  if (!anonymous) return RTNORM;
  state.entmake_keyword = name;
  return RTKWORD;
}

int make(Host& h, ParsedList list) {
  Database& db = h.db();
  InterfaceState& state = h.iface();
  Record& rec = list.rec;
  append_xdata(rec, list);
  if (rec.type == "BLOCK") {
    // An anonymous block ("*U") is named when it is complete; any other needs a name the host
    // takes and no block has.
    const std::string_view name = rec.text(2);
    if (name.empty() ||
        (name[0] != '*' && (db.block_index(name) != Database::npos || !valid_table_name(name))))
      return RTERROR;
    if (!settle_layer(db, rec)) return RTERROR;
    state.complex.clear();
    state.block = InterfaceState::PendingBlock{std::move(rec), {}};
    return RTNORM;
  }
  if (rec.type == "ENDBLK") return make_block_end(h, std::move(rec));
  if (is_entity_part(rec.type)) {
    if (state.complex.empty()) return RTERROR;
    bool polyline = state.complex.front().type == "POLYLINE";
    if ((rec.type == "VERTEX" && !polyline) || (rec.type == "ATTRIB" && polyline)) return RTERROR;
    if (rec.type == "SEQEND" && !rec.has(8))
      rec.set(Group::text(8, std::string(state.complex.front().text(8))));
    if (!complete(db, rec) || !settle_layer(db, rec)) return RTERROR;
    state.complex.push_back(std::move(rec));
    if (state.complex.back().type != "SEQEND") return RTNORM;
    std::vector<Record> records = std::move(state.complex);
    state.complex.clear();
    place(h, std::move(records));
    return RTNORM;
  }
  bool starts_complex = has_entity_parts(rec.type, rec.integer(66));
  if (!starts_complex && !known_simple(rec.type)) return RTERROR;
  if (!complete(db, rec) || !settle_layer(db, rec)) return RTERROR;
  // A new main entity drops a complex entity left unfinished.
  state.complex.clear();
  if (starts_complex) {
    state.complex.push_back(std::move(rec));
    return RTNORM;
  }
  std::vector<Record> one;
  one.push_back(std::move(rec));
  place(h, std::move(one));
  return RTNORM;
}

resbuf* entity_list(const Database& db, RecordId id, const resbuf* apps) {
  const Record& rec = db.record(id);
  RbBuilder list;
  ads_name name;
  make_name(db, id, name);
  list.add_name(-1, name);
  list.add_text(0, rec.type);
  int handle_code = rec.handle_code();
  if (const Group* h = rec.find(handle_code)) list.add_text(handle_code, h->s());
  size_t end = rec.xdata_begin();
  for (size_t k = 0; k < end; ++k)
    if (rec.groups[k].code != handle_code) list.add_group(rec.groups[k]);
  if (!apps) return list.release();
  std::vector<std::string> patterns;
  for (const resbuf* a = apps; a; a = a->rbnext)
    if (rb_value(a->restype) == RbValue::kString) patterns.push_back(to_utf8(a->resval.rstring));
  bool marked = false;
  bool wanted = false;
  for (size_t k = end; k < rec.groups.size(); ++k) {
    const Group& g = rec.groups[k];
    if (g.code == 1001) {
      wanted = std::any_of(patterns.begin(), patterns.end(),
                           [&](const std::string& p) { return wildcard_match(p, g.s(), true); });
      if (wanted && !marked) {
        list.add(-3);
        marked = true;
      }
    }
    if (wanted) list.add_group(g);
  }
  return list.release();
}

// The record, when it is a live entity the interface may act on.
RecordId live_entity(const Database& db, const ads_name name) {
  RecordId id = name ? name_record(db, name) : kNoRecord;
  if (id == kNoRecord) return kNoRecord;
  Area area = db.area(id);
  return area == Area::kEntities || area == Area::kBlock ? id : kNoRecord;
}

const std::vector<RecordId>* container_of(const Database& db, RecordId id) {
  if (db.area(id) == Area::kEntities) return &db.entities();
  if (db.area(id) == Area::kBlock) return &db.blocks()[db.area_index(id)].entities;
  return nullptr;
}

}  // namespace
}  // namespace cad

using cad::host;

resbuf* acdbEntGet(const ads_name ent) { return acdbEntGetX(ent, nullptr); }

resbuf* acdbEntGetX(const ads_name ent, const resbuf* apps) {
  cad::Database& db = host().db();
  cad::RecordId id = ent ? cad::name_record(db, ent) : cad::kNoRecord;
  if (id == cad::kNoRecord || db.erased(id)) return nullptr;
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return nullptr;
  return cad::entity_list(db, id, apps);
}

int acdbEntMake(const resbuf* entm) {
  cad::Host& h = host();
  cad::ParsedList list;
  if (!entm || !cad::parse_list(h.db(), entm, list) || list.rec.type.empty()) return RTERROR;
  if (cad::fault(cad::FaultKind::kCreation, __func__)) return RTERROR;
  return cad::make(h, std::move(list));
}

int acdbEntMod(const resbuf* entm) {
  cad::Database& db = host().db();
  cad::ParsedList list;
  if (!entm || !cad::parse_list(db, entm, list) || list.named == cad::kNoRecord) return RTERROR;
  cad::RecordId id = list.named;
  if (db.erased(id) || db.area(id) == cad::Area::kNone) return RTERROR;
  const cad::Record& old = db.record(id);
  if (!list.rec.type.empty() && list.rec.type != old.type) return RTERROR;
  cad::Record rec;
  rec.type = old.type;
  const cad::Group* handle = old.find(old.handle_code());
  const size_t old_xdata = old.xdata_begin();
  // The record is kept as long as the drawing: room for exactly what it will hold.
  size_t new_xdata = 0;
  for (const auto& [app, items] : list.xdata) new_xdata += 1 + items.size();
  rec.groups.reserve((handle ? 1 : 0) + list.rec.groups.size() + old.groups.size() - old_xdata +
                     new_xdata);
  if (handle) rec.groups.push_back(*handle);
  rec.groups.insert(rec.groups.end(), std::make_move_iterator(list.rec.groups.begin()),
                    std::make_move_iterator(list.rec.groups.end()));
  // Extended data the list does not name stays as it was.
  rec.groups.insert(rec.groups.end(), old.groups.begin() + static_cast<std::ptrdiff_t>(old_xdata),
                    old.groups.end());
  cad::append_xdata(rec, list);
  bool entity = db.area(id) == cad::Area::kEntities || db.area(id) == cad::Area::kBlock;
  if (entity && !cad::complete(db, rec)) return RTERROR;
  if (entity && rec.has(8) && !cad::layer_usable(db, rec.text(8))) return RTERROR;
  // A table entry renamed takes a name by the rule for new ones.
  if (!entity && rec.text(2) != old.text(2) && !cad::valid_table_name(rec.text(2))) return RTERROR;
  // Before the layer is settled: a change that fails makes no layer either.
  if (cad::fault(cad::FaultKind::kChange, __func__)) return RTERROR;
  if (entity && rec.type != "SEQEND") cad::settle_layer(db, rec);
  db.replace(id, std::move(rec));
  return RTNORM;
}

int acdbEntDel(const ads_name ent) {
  cad::Database& db = host().db();
  cad::RecordId id = cad::live_entity(db, ent);
  if (id == cad::kNoRecord || db.area(id) != cad::Area::kEntities ||
      cad::is_entity_part(db.record(id).type))
    return RTERROR;
  if (cad::fault(cad::FaultKind::kChange, __func__)) return RTERROR;
  bool erase = !db.erased(id);
  db.set_erased(id, erase);
  // The vertices (attributes) and SEQEND of a complex entity go and come back with it.
  const std::vector<cad::RecordId>& list = db.entities();
  auto it = list.begin() + static_cast<std::ptrdiff_t>(db.position(id));
  for (++it; it != list.end() && cad::is_entity_part(db.record(*it).type); ++it) {
    db.set_erased(*it, erase);
    if (db.record(*it).type == "SEQEND") break;
  }
  return RTNORM;
}

int acdbEntLast(ads_name result) {
  cad::Database& db = host().db();
  const std::vector<cad::RecordId>& list = db.entities();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const cad::Record& rec = db.record(*it);
    if (db.erased(*it) || cad::is_entity_part(rec.type) || rec.integer(67) == 1) continue;
    cad::make_name(db, *it, result);
    return RTNORM;
  }
  return RTERROR;
}

int acdbEntNext(const ads_name ent, ads_name result) {
  cad::Database& db = host().db();
  const std::vector<cad::RecordId>* list = &db.entities();
  size_t from = 0;
  if (ent && !cad::name_is_null(ent)) {
    cad::RecordId id = cad::live_entity(db, ent);
    if (id == cad::kNoRecord) return RTERROR;
    list = cad::container_of(db, id);
    from = db.position(id) + 1;
  }
  for (size_t k = from; k < list->size(); ++k) {
    if (db.erased((*list)[k])) continue;
    cad::make_name(db, (*list)[k], result);
    return RTNORM;
  }
  return RTERROR;
}

int acdbHandEnt(const ACHAR* handle, ads_name entres) {
  cad::Database& db = host().db();
  cad::RecordId id = handle ? db.find_handle(cad::to_utf8(handle)) : cad::kNoRecord;
  if (id == cad::kNoRecord) return RTERROR;
  cad::make_name(db, id, entres);
  return RTNORM;
}

int acdbRegApp(const ACHAR* appname) {
  cad::Database& db = host().db();
  if (!cad::valid_wide(appname)) return RTERROR;
  std::string name = cad::to_utf8(appname);
  if (!cad::valid_table_name(name) || cad::wildcard_has_special(name) ||
      name.find(' ') != std::string::npos)
    return RTERROR;
  if (cad::app_registered(db, name)) return RTERROR;
  if (cad::fault(cad::FaultKind::kChange, __func__)) return RTERROR;
  size_t table = db.table_index("APPID");
  if (table == cad::Database::npos)
    table = db.add_table(cad::Record{"TABLE", {cad::Group::text(2, "APPID")}});
  db.add_table_entry(
      table,
      cad::Record{"APPID", {cad::Group::text(2, cad::to_upper(name)), cad::Group::integer(70, 0)}});
  return RTNORM;
}

#include "cad/dxf/compare.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "cad/dxf/tags.h"

namespace cad {

namespace {

// Exact: the same bits, and any NaN equals any other (files write every NaN alike).
bool same_real(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool same_group(const Group& a, const Group& b) {
  if (a.code != b.code) return false;
  switch (a.type()) {
    case GroupType::kPoint:
      return a.dims == b.dims && same_real(a.x(), b.x()) &&
             (a.dims < 2 || same_real(a.y(), b.y())) && (a.dims < 3 || same_real(a.z(), b.z()));
    case GroupType::kReal:
      return same_real(a.x(), b.x());
    case GroupType::kInt16:
    case GroupType::kInt32:
    case GroupType::kInt64:
    case GroupType::kBool:
      return a.i() == b.i();
    default:
      return a.s() == b.s();
  }
}

std::string diff_groups(const std::vector<Group>& a, const std::vector<Group>& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k)
    if (!same_group(a[k], b[k]))
      return "group " + std::to_string(k) + ": " + describe(a[k]) + " vs " + describe(b[k]);
  if (a.size() == b.size()) return {};
  const Group& extra = a.size() > b.size() ? a[n] : b[n];
  return std::to_string(a.size()) + " groups vs " + std::to_string(b.size()) + " (first extra " +
         describe(extra) + ")";
}

std::string name_of(const Record& rec) {
  std::string out = rec.type;
  uint64_t h = rec.handle();
  if (h) out += " " + handle_text(h);
  return out;
}

std::string diff_record(const std::string& where, const Record& a, const Record& b) {
  if (a.type != b.type) return where + ": " + name_of(a) + " vs " + name_of(b);
  std::string d = diff_groups(a.groups, b.groups);
  return d.empty() ? d : where + " (" + name_of(a) + "): " + d;
}

std::vector<RecordId> live(const Database& db, const std::vector<RecordId>& ids) {
  std::vector<RecordId> out;
  out.reserve(ids.size());
  for (RecordId id : ids)
    if (!db.erased(id)) out.push_back(id);
  return out;
}

std::string diff_lists(const std::string& where, const Database& a,
                       const std::vector<RecordId>& ids_a, const Database& b,
                       const std::vector<RecordId>& ids_b) {
  std::vector<RecordId> la = live(a, ids_a);
  std::vector<RecordId> lb = live(b, ids_b);
  size_t n = std::min(la.size(), lb.size());
  for (size_t k = 0; k < n; ++k) {
    std::string d =
        diff_record(where + "[" + std::to_string(k) + "]", a.record(la[k]), b.record(lb[k]));
    if (!d.empty()) return d;
  }
  if (la.size() == lb.size()) return {};
  return where + ": " + std::to_string(la.size()) + " records vs " + std::to_string(lb.size());
}

template <typename T, typename Pred>
std::vector<const T*> live_items(const std::vector<T>& items, Pred keep) {
  std::vector<const T*> out;
  for (const T& item : items)
    if (keep(item)) out.push_back(&item);
  return out;
}

}  // namespace

std::string diff_records(const Database& a, const Database& b) {
  const auto& ha = a.header();
  const auto& hb = b.header();
  for (size_t k = 0; k < std::min(ha.size(), hb.size()); ++k) {
    if (ha[k].name != hb[k].name)
      return "header[" + std::to_string(k) + "]: " + ha[k].name + " vs " + hb[k].name;
    std::string d = diff_groups(ha[k].groups, hb[k].groups);
    if (!d.empty()) return "header " + ha[k].name + ": " + d;
  }
  if (ha.size() != hb.size())
    return "header: " + std::to_string(ha.size()) + " variables vs " + std::to_string(hb.size());

  if (std::string d = diff_lists("classes", a, a.classes(), b, b.classes()); !d.empty()) return d;

  auto ta = live_items(a.tables(), [&](const Table& t) { return !a.erased(t.head); });
  auto tb = live_items(b.tables(), [&](const Table& t) { return !b.erased(t.head); });
  for (size_t k = 0; k < std::min(ta.size(), tb.size()); ++k) {
    std::string where = "tables[" + std::to_string(k) + "]";
    std::string d = diff_record(where, a.record(ta[k]->head), b.record(tb[k]->head));
    if (d.empty())
      d = diff_lists(where + " " + std::string(a.record(ta[k]->head).text(2)), a, ta[k]->entries, b,
                     tb[k]->entries);
    if (!d.empty()) return d;
  }
  if (ta.size() != tb.size())
    return "tables: " + std::to_string(ta.size()) + " vs " + std::to_string(tb.size());

  auto ba = live_items(a.blocks(), [&](const Block& bl) { return !a.erased(bl.begin); });
  auto bb = live_items(b.blocks(), [&](const Block& bl) { return !b.erased(bl.begin); });
  for (size_t k = 0; k < std::min(ba.size(), bb.size()); ++k) {
    std::string where = "blocks[" + std::to_string(k) + "]";
    std::string d = diff_record(where, a.record(ba[k]->begin), b.record(bb[k]->begin));
    if (d.empty())
      d = diff_lists(where + " " + std::string(a.record(ba[k]->begin).text(2)), a, ba[k]->entities,
                     b, bb[k]->entities);
    if (d.empty()) d = diff_record(where + " end", a.record(ba[k]->end), b.record(bb[k]->end));
    if (!d.empty()) return d;
  }
  if (ba.size() != bb.size())
    return "blocks: " + std::to_string(ba.size()) + " vs " + std::to_string(bb.size());

  if (std::string d = diff_lists("entities", a, a.entities(), b, b.entities()); !d.empty())
    return d;
  if (std::string d = diff_lists("objects", a, a.objects(), b, b.objects()); !d.empty()) return d;

  const auto& ra = a.raw_sections();
  const auto& rb = b.raw_sections();
  for (size_t k = 0; k < std::min(ra.size(), rb.size()); ++k) {
    if (ra[k].name != rb[k].name) return "raw section " + ra[k].name + " vs " + rb[k].name;
    std::string d = diff_groups(ra[k].groups, rb[k].groups);
    if (!d.empty()) return "raw section " + ra[k].name + ": " + d;
  }
  if (ra.size() != rb.size())
    return "raw sections: " + std::to_string(ra.size()) + " vs " + std::to_string(rb.size());

  if (a.section_order() != b.section_order()) {
    auto join = [](const std::vector<std::string>& v) {
      std::string out;
      for (const std::string& s : v) out += (out.empty() ? "" : " ") + s;
      return out;
    };
    return "section order: " + join(a.section_order()) + " vs " + join(b.section_order());
  }
  return {};
}

}  // namespace cad

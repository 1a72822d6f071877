// Selection sets through the C interface. A set's name is {set number, drawing serial}; a set
// lives until acedSSFree (or until the drawing is replaced).
//
// acedSSGet modes: "X" the whole drawing; "F" a fence through the points of the result-buffer
// list pt1; "W" and "C" a window or crossing window from the corners pt1 and pt2; "L" the last
// object; no mode with pt1 a pick at that point; no mode and no point: the person selects. Modes
// may carry the "_" of global names. Points are in the current UCS. The filter is applied in
// every mode. Nothing selected answers RTERROR and makes no set; a set the host cannot make (see
// faults.h) answers RTREJ.
//
// The person's selection asks "Select objects: " until Enter: a point picks the object there (a
// point that hits nothing opens a window to a second corner: to the right a window, to the left
// a crossing window, as the host does), an entity token adds that entity, and the keywords ALL,
// Last, Window, Crossing and Fence work as their modes. Esc answers RTCAN.
#include "cad/select/selection.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/input/prompter.h"
#include "host/adslib.h"

namespace cad {
namespace {

std::vector<Group> filter_groups(const resbuf* filter) {
  std::vector<Group> groups;
  for (const resbuf* rb = filter; rb; rb = rb->rbnext) {
    if (rb->restype == -3) {
      groups.push_back(Group::integer(-3, 0));
      continue;
    }
    if (rb->restype == -4) {
      groups.push_back(Group::text(-4, to_utf8(rb->resval.rstring)));
      continue;
    }
    groups.push_back(rb_to_group(*rb));
  }
  return groups;
}

Vec3 world(Vec3 ucs_point) { return host().ucs().to_world(ucs_point); }

bool fence_points(const resbuf* list, std::vector<Vec3>& out) {
  for (const resbuf* rb = list; rb; rb = rb->rbnext) {
    if (rb->restype != RTPOINT && rb->restype != RT3DPOINT) return false;
    out.push_back(world(to_vec(rb->resval.rpoint)));
  }
  return out.size() >= 2;
}

RecordId filtered(const Database& db, RecordId id, const CompiledFilter& filter) {
  return id != kNoRecord && filter.matches(db, id) ? id : kNoRecord;
}

class PersonSelects {
 public:
  PersonSelects(Host& host, const CompiledFilter& filter)
      : host_(host), prompter_(host.prompter()), db_(host.db()), filter_(filter) {}

  // RTNORM with the objects chosen, RTCAN on Esc.
  int run(std::vector<RecordId>& chosen) {
    for (;;) {
      prompter_.init_get(0, "Window Last Crossing ALL Fence");
      Answer a = prompter_.get_pick("\nSelect objects: ");
      if (a.status == RTNONE) break;
      if (a.status != RTNORM && a.status != RTKWORD) return a.status;
      std::vector<RecordId> found;
      int status = a.status == RTKWORD ? by_keyword(a.text, found) : by_pick(a, found);
      if (status != RTNORM) return status;
      size_t before = chosen.size();
      for (RecordId id : found)
        if (std::find(chosen.begin(), chosen.end(), id) == chosen.end()) chosen.push_back(id);
      std::string message = "\n" + std::to_string(found.size()) + " found";
      if (before > 0) message += ", " + std::to_string(chosen.size()) + " total";
      host_.transcript().print(message);
    }
    return RTNORM;
  }

 private:
  int by_pick(const Answer& a, std::vector<RecordId>& found) {
    if (a.is_entity) {
      RecordId id = filtered(db_, name_record(db_, a.entity), filter_);
      if (id != kNoRecord && !db_.erased(id)) found.push_back(id);
      return RTNORM;
    }
    Vec3 at = world(a.point);
    RecordId id = pick(db_, at, default_pick_tolerance(db_));
    if (id != kNoRecord) {
      if (filtered(db_, id, filter_) != kNoRecord) found.push_back(id);
      return RTNORM;
    }
    Answer corner = prompter_.get_point("\nSpecify opposite corner: ");
    if (corner.status != RTNORM) return corner.status == RTCAN ? RTCAN : RTNORM;
    Vec3 other = world(corner.point);
    found = corner.point.x >= a.point.x ? select_window(db_, at, other, filter_)
                                        : select_crossing(db_, at, other, filter_);
    return RTNORM;
  }

  int by_keyword(const std::string& keyword, std::vector<RecordId>& found) {
    if (keyword == "ALL") {
      found = select_all(db_, filter_);
      return RTNORM;
    }
    if (keyword == "Last") {
      if (RecordId id = filtered(db_, last(db_), filter_); id != kNoRecord) found.push_back(id);
      return RTNORM;
    }
    if (keyword == "Fence") return fence(found);
    Answer first = prompter_.get_point("\nSpecify first corner: ");
    if (first.status != RTNORM) return first.status == RTCAN ? RTCAN : RTNORM;
    Answer second = prompter_.get_point("\nSpecify opposite corner: ");
    if (second.status != RTNORM) return second.status == RTCAN ? RTCAN : RTNORM;
    Vec3 a = world(first.point), b = world(second.point);
    found = keyword == "Window" ? select_window(db_, a, b, filter_)
                                : select_crossing(db_, a, b, filter_);
    return RTNORM;
  }

  int fence(std::vector<RecordId>& found) {
    std::vector<Vec3> points;
    for (;;) {
      Answer p = prompter_.get_point(points.empty() ? "\nSpecify first fence point: "
                                                    : "\nSpecify next fence point: ");
      if (p.status == RTCAN) return RTCAN;
      if (p.status != RTNORM) break;
      points.push_back(world(p.point));
    }
    if (points.size() >= 2) found = select_fence(db_, points, filter_);
    return RTNORM;
  }

  Host& host_;
  Prompter& prompter_;
  Database& db_;
  const CompiledFilter& filter_;
};

// The set a name stands for, or 0.
int64_t set_of(const ads_name name) {
  if (!name) return 0;
  Host& h = host();
  if (name[1] != h.db().serial() || !h.selections().exists(name[0])) return 0;
  return name[0];
}

void set_name(int64_t set, ads_name out) {
  out[0] = set;
  out[1] = host().db().serial();
}

}  // namespace
}  // namespace cad

using cad::host;

extern "C" {

int acedSSGet(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter,
              ads_name ss) {
  cad::Host& h = host();
  cad::Database& db = h.db();
  cad::CompiledFilter f = cad::compile_filter(cad::filter_groups(filter));
  if (!f.valid()) return RTERROR;
  std::string m = cad::to_upper(cad::to_utf8(mode));
  if (!m.empty() && m.front() == '_') m.erase(0, 1);
  std::vector<cad::RecordId> ids;
  if (m == "X") {
    ids = cad::select_all(db, f);
  } else if (m == "F") {
    std::vector<cad::Vec3> points;
    if (!cad::fence_points(static_cast<const resbuf*>(pt1), points)) return RTERROR;
    ids = cad::select_fence(db, points, f);
  } else if (m == "W" || m == "C") {
    if (!pt1 || !pt2) return RTERROR;
    cad::Vec3 a = cad::world(cad::to_vec(static_cast<const ads_real*>(pt1)));
    cad::Vec3 b = cad::world(cad::to_vec(static_cast<const ads_real*>(pt2)));
    ids = m == "W" ? cad::select_window(db, a, b, f) : cad::select_crossing(db, a, b, f);
  } else if (m == "L") {
    if (cad::RecordId id = cad::filtered(db, cad::last(db), f); id != cad::kNoRecord)
      ids.push_back(id);
  } else if (m.empty() && pt1) {
    cad::Vec3 at = cad::world(cad::to_vec(static_cast<const ads_real*>(pt1)));
    cad::RecordId id = cad::pick(db, at, cad::default_pick_tolerance(db));
    if (cad::filtered(db, id, f) != cad::kNoRecord) ids.push_back(id);
  } else if (m.empty()) {
    int status = cad::PersonSelects(h, f).run(ids);
    if (status != RTNORM) return status;
  } else {
    return RTERROR;
  }
  if (ids.empty()) return RTERROR;
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return RTREJ;
  cad::set_name(h.selections().create(ids), ss);
  return RTNORM;
}

int acedSSLength(const ads_name ss, int32_t* len) {
  int64_t set = cad::set_of(ss);
  if (!set || !len) return RTERROR;
  *len = static_cast<int32_t>(host().selections().size(set));
  return RTNORM;
}

int acedSSName(const ads_name ss, int32_t i, ads_name entres) {
  int64_t set = cad::set_of(ss);
  if (!set || i < 0) return RTERROR;
  cad::RecordId id = host().selections().at(set, static_cast<size_t>(i));
  if (id == cad::kNoRecord) return RTERROR;
  cad::make_name(host().db(), id, entres);
  return RTNORM;
}

int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result) {
  cad::Host& h = host();
  cad::RecordId id = cad::kNoRecord;
  if (ename) {
    id = cad::name_record(h.db(), ename);
    if (id == cad::kNoRecord) return RTERROR;
  }
  if (!sname) {
    if (cad::fault(cad::FaultKind::kAllocation, __func__)) return RTREJ;
    int64_t set = id == cad::kNoRecord ? h.selections().create() : h.selections().create({id});
    cad::set_name(set, result);
    return RTNORM;
  }
  int64_t set = cad::set_of(sname);
  if (!set) return RTERROR;
  if (id != cad::kNoRecord) h.selections().add(set, id);
  cad::set_name(set, result);
  return RTNORM;
}

int acedSSDel(const ads_name ename, const ads_name ss) {
  int64_t set = cad::set_of(ss);
  cad::RecordId id = ename ? cad::name_record(host().db(), ename) : cad::kNoRecord;
  if (!set || id == cad::kNoRecord) return RTERROR;
  return host().selections().remove(set, id) ? RTNORM : RTERROR;
}

int acedSSMemb(const ads_name ename, const ads_name ss) {
  int64_t set = cad::set_of(ss);
  cad::RecordId id = ename ? cad::name_record(host().db(), ename) : cad::kNoRecord;
  if (!set || id == cad::kNoRecord) return RTERROR;
  return host().selections().contains(set, id) ? RTNORM : RTERROR;
}

int acedSSFree(const ads_name sname) {
  int64_t set = cad::set_of(sname);
  if (!set) return RTERROR;
  host().selections().free(set);
  return RTNORM;
}

}  // extern "C"

// Selection sets through the C interface. A set's name is {set number, drawing serial}; a set
// lives until acedSSFree (or until the drawing is replaced).
//
// acedSSGet modes: "X" the whole drawing; "F" a fence through the points of the result-buffer
// list pt1; "W" and "C" a window or crossing window from the corners pt1 and pt2; "L" the last
// object; "P" the previous selection; no mode with pt1 a pick at that point; no mode and no
// point: the person selects (select_by_person, selecting.h; Esc answers RTCAN). Modes may carry
// the "_" of global names. Points are in the current UCS. The filter is applied in every mode.
// Nothing selected answers RTERROR and makes no set; a set the host cannot make (see faults.h)
// answers RTREJ. A set made becomes the previous selection, as the host's own selections do.
#include "cad/select/selection.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/ads/selecting.h"
#include "cad/base/text.h"
#include "cad/base/utf8.h"
#include "cad/geom/arcs.h"
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

std::vector<Vec3> box_corners(Vec3 a, Vec3 b) {
  const Box2 box(xy(a), xy(b));
  return {{box.min.x, box.min.y, 0},
          {box.max.x, box.min.y, 0},
          {box.max.x, box.max.y, 0},
          {box.min.x, box.max.y, 0}};
}

class PersonSelects {
 public:
  PersonSelects(Host& host, const CompiledFilter& filter)
      : host_(host), prompter_(host.prompter()), db_(host.db()), filter_(filter) {}

  // RTNORM with the objects chosen, RTCAN on Esc.
  int run(PersonSelection& out) {
    bool removing = false;
    for (;;) {
      prompter_.init_get(0,
                         "Window Last Crossing ALL Fence WPolygon CPolygon Add Remove "
                         "Previous Undo");
      Answer a = prompter_.get_pick(removing ? "\nRemove objects: " : shown(kSelectObjects));
      if (a.status == RTNONE) break;
      if (a.status != RTNORM && a.status != RTKWORD) return a.status;
      if (a.status == RTKWORD && (a.text == "Add" || a.text == "Remove")) {
        removing = a.text == "Remove";
        continue;
      }
      if (a.status == RTKWORD && a.text == "Undo") {
        undo(out);
        continue;
      }
      std::vector<RecordId> found;
      std::optional<CrossingArea> crossing;
      const int status =
          a.status == RTKWORD ? by_keyword(a.text, found, crossing) : by_pick(a, found, crossing);
      if (status != RTNORM) return status;
      const size_t before = out.ids.size();
      Step step;
      for (RecordId id : found) {
        const auto at = std::find(out.ids.begin(), out.ids.end(), id);
        if (removing && at != out.ids.end()) {
          out.ids.erase(at);
          step.removed.push_back(id);
        } else if (!removing && at == out.ids.end()) {
          out.ids.push_back(id);
          step.added.push_back(id);
        }
      }
      if (crossing && !removing) {
        crossing->found = found;
        out.crossings.push_back(std::move(*crossing));
        step.crossing = true;
      }
      steps_.push_back(std::move(step));
      std::string message = "\n" + std::to_string(found.size()) + " found";
      if (removing) message += ", " + std::to_string(steps_.back().removed.size()) + " removed";
      if (removing || before > 0) message += ", " + std::to_string(out.ids.size()) + " total";
      host_.transcript().print(message);
    }
    // Selecting nothing leaves the previous selection as it was.
    if (!out.ids.empty()) host_.selections().set_previous(out.ids);
    return RTNORM;
  }

 private:
  // What one selection method changed, so that Undo can take it back.
  struct Step {
    std::vector<RecordId> added;
    std::vector<RecordId> removed;
    bool crossing = false;
  };

  void undo(PersonSelection& out) {
    if (steps_.empty()) return;
    const Step step = std::move(steps_.back());
    steps_.pop_back();
    std::erase_if(out.ids, [&](RecordId id) {
      return std::find(step.added.begin(), step.added.end(), id) != step.added.end();
    });
    out.ids.insert(out.ids.end(), step.removed.begin(), step.removed.end());
    if (step.crossing) out.crossings.pop_back();
  }

  int by_pick(const Answer& a, std::vector<RecordId>& found,
              std::optional<CrossingArea>& crossing) {
    if (a.is_entity) {
      RecordId id = filtered(db_, name_record(db_, a.entity), filter_);
      if (id != kNoRecord && !db_.erased(id)) found.push_back(id);
      return RTNORM;
    }
    Vec3 at = to_world(a.point);
    RecordId id = pick(db_, at, default_pick_tolerance(db_));
    if (id != kNoRecord) {
      if (filtered(db_, id, filter_) != kNoRecord) found.push_back(id);
      return RTNORM;
    }
    Answer corner = prompter_.get_point("\nSpecify opposite corner: ");
    if (corner.status != RTNORM) return corner.status == RTCAN ? RTCAN : RTNORM;
    Vec3 other = to_world(corner.point);
    if (corner.point.x >= a.point.x) {
      found = select_window(db_, at, other, filter_);
    } else {
      found = select_crossing(db_, at, other, filter_);
      crossing = CrossingArea{box_corners(at, other), {}};
    }
    return RTNORM;
  }

  int by_keyword(const std::string& keyword, std::vector<RecordId>& found,
                 std::optional<CrossingArea>& crossing) {
    if (keyword == "ALL") {
      found = select_all(db_, filter_);
      return RTNORM;
    }
    if (keyword == "Last") {
      if (RecordId id = filtered(db_, last(db_), filter_); id != kNoRecord) found.push_back(id);
      return RTNORM;
    }
    if (keyword == "Previous") {
      for (RecordId id : host_.selections().previous())
        if (db_.valid(id) && !db_.erased(id) && filtered(db_, id, filter_) != kNoRecord)
          found.push_back(id);
      return RTNORM;
    }
    if (keyword == "Fence") return fence(found);
    if (keyword == "WPolygon" || keyword == "CPolygon") {
      std::vector<Vec3> points;
      const int status = polygon(points);
      if (status != RTNORM || points.size() < 3) return status;
      if (keyword == "WPolygon") {
        found = select_window_polygon(db_, points, filter_);
      } else {
        found = select_crossing_polygon(db_, points, filter_);
        crossing = CrossingArea{std::move(points), {}};
      }
      return RTNORM;
    }
    Answer first = prompter_.get_point("\nSpecify first corner: ");
    if (first.status != RTNORM) return first.status == RTCAN ? RTCAN : RTNORM;
    Answer second = prompter_.get_point("\nSpecify opposite corner: ");
    if (second.status != RTNORM) return second.status == RTCAN ? RTCAN : RTNORM;
    Vec3 a = to_world(first.point), b = to_world(second.point);
    if (keyword == "Window") {
      found = select_window(db_, a, b, filter_);
    } else {
      found = select_crossing(db_, a, b, filter_);
      crossing = CrossingArea{box_corners(a, b), {}};
    }
    return RTNORM;
  }

  int fence(std::vector<RecordId>& found) {
    std::vector<Vec3> points;
    for (;;) {
      Answer p = prompter_.get_point(points.empty() ? "\nSpecify first fence point: "
                                                    : "\nSpecify next fence point: ");
      if (p.status == RTCAN) return RTCAN;
      if (p.status != RTNORM) break;
      points.push_back(to_world(p.point));
    }
    if (points.size() >= 2) found = select_fence(db_, points, filter_);
    return RTNORM;
  }

  // The corners of a selection polygon (world points) until Enter.
  int polygon(std::vector<Vec3>& points) {
    for (;;) {
      if (!points.empty()) prompter_.init_get(0, "Undo");
      Answer p = prompter_.get_point(points.empty() ? "\nFirst polygon point: "
                                                    : "\nSpecify endpoint of line or [Undo]: ");
      if (p.status == RTCAN) return RTCAN;
      if (p.status == RTKWORD) {
        points.pop_back();
        continue;
      }
      if (p.status != RTNORM) return RTNORM;
      points.push_back(to_world(p.point));
    }
  }

  Vec3 to_world(Vec3 ucs_point) const { return host_.ucs().to_world(ucs_point); }

  Host& host_;
  Prompter& prompter_;
  Database& db_;
  const CompiledFilter& filter_;
  std::vector<Step> steps_;
};

}  // namespace

int select_by_person(Host& host, const CompiledFilter& filter, PersonSelection& out) {
  return PersonSelects(host, filter).run(out);
}

namespace {

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
  } else if (m == "P") {
    for (cad::RecordId id : h.selections().previous())
      if (db.valid(id) && !db.erased(id) && cad::filtered(db, id, f) != cad::kNoRecord)
        ids.push_back(id);
  } else if (m.empty()) {
    cad::PersonSelection chosen;
    int status = cad::select_by_person(h, f, chosen);
    if (status != RTNORM) return status;
    ids = std::move(chosen.ids);
  } else {
    return RTERROR;
  }
  if (ids.empty()) return RTERROR;
  if (cad::fault(cad::FaultKind::kAllocation, __func__)) return RTREJ;
  h.selections().set_previous(ids);
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

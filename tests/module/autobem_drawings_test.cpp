// AutoBem on real drawings with cut lines known to cross lines, polylines (bulged, crossed on
// their arcs; 2D with VERTEX records, in a tilted object system) and multilines: the chain's
// extension lines start at the crossing points, sorted along the chain and merged within 0.001, and
// U gives the drawing back.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "cad/ads/bridge.h"
#include "cad/dxf/reader.h"
#include "cad/geom/arcs.h"
#include "dulk_fixture.h"

namespace {

struct CutCase {
  const char* name;
  const char* file;
  cad::Vec3 from;
  cad::Vec3 to;
  bool layers_on;  // turn every layer on first: the drawing keeps its objects on layers off
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

std::string shared_dir() {
  const char* dir = std::getenv("DULK_SHARED_DIR");
  return dir != nullptr ? dir : "/work/shared";
}

// The crossing of segment a-b with segment c-d in plan, ends included.
std::optional<cad::Vec3> crossing(cad::Vec3 a, cad::Vec3 b, cad::Vec3 c, cad::Vec3 d) {
  const cad::Vec3 r = b - a;
  const cad::Vec3 s = d - c;
  const double den = r.x * s.y - r.y * s.x;
  if (std::abs(den) <= 1e-12 * std::hypot(r.x, r.y) * std::hypot(s.x, s.y)) return std::nullopt;
  const cad::Vec3 q = c - a;
  const double t = (q.x * s.y - q.y * s.x) / den;
  const double u = (q.x * r.y - q.y * r.x) / den;
  constexpr double kEnd = 1e-9;
  if (t < -kEnd || t > 1 + kEnd || u < -kEnd || u > 1 + kEnd) return std::nullopt;
  return a + r * t;
}

// A segment of a path entity: straight between a and b (world), or the arc of a bulged
// polyline segment in the object system of extrusion at elevation z.
struct Segment {
  cad::Vec3 a;
  cad::Vec3 b;
  std::optional<cad::Arc2> arc;
  cad::Vec3 extrusion;
  double z = 0;
};

// The segments of a path entity as the user sees it: polyline vertices lie in their object
// system with the bulges that follow them, spline frames and meshes are no path.
std::vector<Segment> path_segments(const cad::Database& db, size_t index) {
  const std::vector<cad::RecordId>& list = db.entities();
  const cad::Record& rec = db.record(list[index]);
  const cad::Vec3 extrusion = rec.point(210, {0, 0, 1});
  std::vector<cad::Vec3> v;  // object system for two-dimensional polylines, else world
  std::vector<double> bulges;
  bool planar = false;
  bool closed = false;
  if (rec.type == "LINE") {
    v = {rec.point(10), rec.point(11)};
  } else if (rec.type == "LWPOLYLINE") {
    planar = true;
    closed = (rec.integer(70) & 1) != 0;
    for (const cad::Group& g : rec.groups) {
      if (g.code == 10) v.push_back({g.x(), g.y(), rec.real(38)});
      if (g.code == 10) bulges.push_back(0);
      if (g.code == 42 && !bulges.empty()) bulges.back() = g.x();
    }
  } else if (rec.type == "MLINE") {
    closed = (rec.integer(71) & 2) != 0;
    for (const cad::Group& g : rec.groups) {
      if (g.code == 11) v.push_back(g.pt());
    }
  } else if (rec.type == "POLYLINE") {
    const int64_t flags = rec.integer(70);
    if ((flags & (16 | 64)) != 0) return {};
    planar = (flags & 8) == 0;
    closed = (flags & 1) != 0;
    for (size_t k = index + 1; k < list.size() && db.record(list[k]).type == "VERTEX"; ++k) {
      const cad::Record& vertex = db.record(list[k]);
      if ((flags & 4) != 0 && (vertex.integer(70) & 16) != 0) continue;
      const cad::Vec3 p = vertex.point(10);
      v.push_back(planar ? cad::Vec3{p.x, p.y, rec.point(10).z} : p);
      bulges.push_back(vertex.real(42));
    }
  }
  if (closed && !v.empty()) v.push_back(v.front());
  std::vector<Segment> segments;
  for (size_t k = 0; k + 1 < v.size(); ++k) {
    Segment s{v[k], v[k + 1], std::nullopt, extrusion, v[k].z};
    if (planar) {
      s.a = cad::ocs_to_world(v[k], extrusion);
      s.b = cad::ocs_to_world(v[k + 1], extrusion);
      if (bulges[k] != 0)
        s.arc = cad::bulge_arc({v[k].x, v[k].y}, {v[k + 1].x, v[k + 1].y}, bulges[k]);
    }
    segments.push_back(s);
  }
  return segments;
}

// Where the cut from-to crosses the arc of s in plan: the arc walked in small steps, each change
// of side narrowed down by halving.
void arc_crossings(cad::Vec3 from, cad::Vec3 to, const Segment& s, std::vector<cad::Vec3>& out) {
  const double sweep = cad::arc_sweep(*s.arc);
  const auto at = [&](double f) {
    const cad::Vec2 q = cad::arc_point(*s.arc, s.arc->start_angle + f * sweep);
    return cad::ocs_to_world({q.x, q.y, s.z}, s.extrusion);
  };
  const cad::Vec3 d = to - from;
  const auto below = [&](double f) {
    const cad::Vec3 p = at(f);
    return d.x * (p.y - from.y) - d.y * (p.x - from.x) < 0;
  };
  constexpr int kSteps = 10000;
  for (int i = 0; i < kSteps; ++i) {
    double lo = static_cast<double>(i) / kSteps;
    double hi = static_cast<double>(i + 1) / kSteps;
    if (below(lo) == below(hi)) continue;
    for (int k = 0; k < 60; ++k) {
      const double mid = (lo + hi) / 2;
      (below(mid) == below(lo) ? lo : hi) = mid;
    }
    const cad::Vec3 p = at(lo);
    const double t = ((p.x - from.x) * d.x + (p.y - from.y) * d.y) / (d.x * d.x + d.y * d.y);
    if (t >= 0 && t <= 1) out.push_back(p);
  }
}

struct Expected {
  int objects = 0;
  std::vector<cad::Vec3> crossings;
};

class AutoBemDrawingTest : public DulkTest, public ::testing::WithParamInterface<CutCase> {
 protected:
  void SetUp() override {
    DulkTest::SetUp();
    cad::ReadResult read = cad::read_dxf_file(shared_dir() + "/dxf/" + GetParam().file);
    ASSERT_TRUE(read.db) << read.error;
    host().set_db(std::move(read.db));
    if (GetParam().layers_on) {
      ASSERT_EQ(script("-LAYER\nON\n*\n\n"), 0) << transcript();
    }
  }

  // What the host's fence along the cut finds, and where its segments and arcs cross the cut.
  Expected expected() {
    Expected result;
    const cad::Vec3 from = GetParam().from;
    const cad::Vec3 to = GetParam().to;
    std::vector<cad::RecordId> found;
    run([&] {
      const ads_point a = {from.x, from.y, 0};
      const ads_point b = {to.x, to.y, 0};
      RbList fence(acutBuildList(RT3DPOINT, a, RT3DPOINT, b, RTNONE));
      SsName ss;
      if (ss_get(L"_F", fence.get(), nullptr, nullptr, ss) != RTNORM) return;
      int32_t n = 0;
      acedSSLength(ss.name(), &n);
      for (int32_t i = 0; i < n; ++i) {
        ads_name ent;
        acedSSName(ss.name(), i, ent);
        found.push_back(cad::name_record(host().db(), ent));
      }
    });
    const cad::Database& db = host().db();
    const std::vector<cad::RecordId>& list = db.entities();
    for (cad::RecordId id : found) {
      const size_t index = std::find(list.begin(), list.end(), id) - list.begin();
      const std::vector<Segment> segments = path_segments(db, index);
      if (segments.empty()) continue;
      ++result.objects;
      for (const Segment& s : segments) {
        if (s.arc) {
          arc_crossings(from, to, s, result.crossings);
        } else if (auto p = crossing(from, to, s.a, s.b)) {
          result.crossings.push_back(*p);
        }
      }
    }
    return result;
  }

  // Places along dir, sorted, a run closer than 0.001 kept as its last place.
  static std::vector<double> merged_places(const std::vector<cad::Vec3>& points, cad::Vec3 dir) {
    std::vector<double> places;
    for (const cad::Vec3& p : points) places.push_back(cad::dot(p, dir));
    std::sort(places.begin(), places.end());
    std::vector<double> kept;
    for (size_t i = 0; i < places.size(); ++i) {
      if (i + 1 < places.size() && places[i + 1] - places[i] < 0.001) continue;
      kept.push_back(places[i]);
    }
    return kept;
  }

  // AutoBem along the cut, the extension lines 1 unit to the side, the cut line kept.
  std::string autobem_script() const {
    const cad::Vec3 from = GetParam().from;
    const cad::Vec3 to = GetParam().to;
    const bool vertical = from.x == to.x;
    const cad::Vec3 position = vertical ? from + cad::Vec3{1, 0, 0} : from - cad::Vec3{0, 1, 0};
    return "AutoBem\n" + at(from) + "\n" + at(to) + "\n\n" + at(position) + "\n" +
           (vertical ? "90" : "0") + "\nNein\n";
  }
};

TEST_P(AutoBemDrawingTest, ChainStartsAtTheCrossingsSortedAndMerged) {
  const Expected want = expected();
  ASSERT_GE(want.crossings.size(), 2u);
  const std::string before = saved_bytes();
  ASSERT_EQ(script(autobem_script()), 0) << transcript();

  EXPECT_EQ(count_lines("Es wurden " + std::to_string(want.objects) + " Objekte und " +
                        std::to_string(want.crossings.size()) + " Schnittpunkte gefunden !"),
            1u)
      << transcript();
  const cad::Vec3 dir = cad::normalized(GetParam().to - GetParam().from);
  const std::vector<double> places = merged_places(want.crossings, dir);
  const std::vector<SavedDim> chain = new_chain();
  ASSERT_EQ(chain.size() + 1, places.size());
  const std::vector<double> found = along(chain, dir);
  ASSERT_EQ(found.size(), places.size());
  for (size_t i = 0; i < places.size(); ++i) EXPECT_NEAR(found[i], places[i], 1e-6) << i;

  ASSERT_EQ(script("U\n"), 0) << transcript();
  EXPECT_EQ(diff(before, saved_bytes()), "");
}

INSTANTIATE_TEST_SUITE_P(Drawings, AutoBemDrawingTest,
                         ::testing::Values(CutCase{"Walls",
                                                   "barcelona_pavilion_plan_elev_r2000.dxf",
                                                   {7.08, -0.428, 0},
                                                   {7.08, 21.848, 0},
                                                   false},
                                           CutCase{"Polylines2d",
                                                   "house_site_plan_librecad.dxf",
                                                   {-23.283, -4.087, 0},
                                                   {4.579, -4.087, 0},
                                                   false},
                                           CutCase{"Multilines",
                                                   "acadsharp_sample_r2004.dxf",
                                                   {141.054, 0.114, 0},
                                                   {141.054, 46.965, 0},
                                                   false},
                                           CutCase{"BulgedProfiles",
                                                   "curtain_wall_details_r2013.dxf",
                                                   {161.438, 317.217, 0},
                                                   {455.626, 317.217, 0},
                                                   true},
                                           CutCase{"Bulged2dInATiltedSystem",
                                                   "poly2d_bulge_ocs_r12.dxf",
                                                   {1.0, 10.4, 0},
                                                   {7.0, 10.4, 0},
                                                   false},
                                           CutCase{"ManyLines",
                                                   "house_elevation_entities_only_noeof.dxf",
                                                   {-1120.545, 1056.296, 0},
                                                   {-26.205, 1056.296, 0},
                                                   false},
                                           CutCase{"FilletedChannel",
                                                   "steel_channel_MC12x31.dxf",
                                                   {1.462, -6.24, 0},
                                                   {1.462, 6.24, 0},
                                                   false}),
                         [](const ::testing::TestParamInfo<CutCase>& info) {
                           return info.param.name;
                         });

}  // namespace

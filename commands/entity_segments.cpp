// Entity vertex lists and their crossings with the cut line.
#include "commands/entity_segments.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <utility>
#include <vector>

#include "chain/chain_request.h"
#include "commands/coordinates.h"
#include "frame/rb_tools.h"

namespace {

constexpr int kPolylineClosed = 1;
constexpr int kPolylineSplineFit = 4;
constexpr int kPolyline3d = 8;
constexpr int kPolygonMesh = 16;
constexpr int kPolyfaceMesh = 64;
constexpr int kVertexSplineFrame = 16;
constexpr int kMlineClosed = 2;
// How far past its ends, in radians or as a fraction of the cut segment's length, an arc
// crossing still counts, so that a cut through the vertex where an arc ends meets the arc there.
constexpr ads_real kArcTolerance = 1e-9;
// A whole turn in radians, to the precision of a double: arcs are placed exactly, not with the
// rounded value of pi that classifies chain directions.
constexpr ads_real kFullTurn = 6.283185307179586;

// A new RT3DPOINT node holding point, or holding no point when point is null.
resbuf* new_point_node(const ads_real* point) {
  resbuf* node = acutNewRb(RT3DPOINT);
  if (node == nullptr) acrx_abort(L"\nNicht genügend Speicher fuer Punkte !!");
  if (point != nullptr) {
    node->resval.rpoint[X] = point[X];
    node->resval.rpoint[Y] = point[Y];
    node->resval.rpoint[Z] = point[Z];
  }
  return node;
}

// A list grown at its end, owned until it is handed over.
class PointChain {
 public:
  void add(const ads_real* point) {
    resbuf* node = new_point_node(point);
    if (tail_ == nullptr) {
      list_.reset(node);
    } else {
      tail_->rbnext = node;
    }
    tail_ = node;
  }
  const resbuf* first() const { return list_.get(); }
  RbList release() {
    tail_ = nullptr;
    return RbList(list_.release());
  }

 private:
  RbList list_;
  resbuf* tail_ = nullptr;
};

int short_group(resbuf* data, short code) {
  const resbuf* group = rb_assoc(data, code);
  return group != nullptr ? group->resval.rint : 0;
}

ads_real real_group(resbuf* data, short code) {
  const resbuf* group = rb_assoc(data, code);
  return group != nullptr ? group->resval.rreal : 0.0;
}

void extrusion_of(resbuf* data, ads_point extrusion) {
  const resbuf* group = rb_assoc(data, 210);
  extrusion[X] = group != nullptr ? group->resval.rpoint[X] : 0.0;
  extrusion[Y] = group != nullptr ? group->resval.rpoint[Y] : 0.0;
  extrusion[Z] = group != nullptr ? group->resval.rpoint[Z] : 1.0;
}

// A vertex of a two-dimensional polyline in its object system, with the bulge of the segment
// that starts at it.
struct PlanarVertex {
  ads_real x;
  ads_real y;
  ads_real bulge;
};

// A two-dimensional polyline: its vertices in the object system of extrusion, at elevation.
struct PlanarPath {
  std::vector<PlanarVertex> vertices;
  ads_point extrusion;
  ads_real elevation = 0.0;
};

// A point or (displacement 1) a direction of the object system of extrusion in world
// coordinates. Taken as world coordinates, the points of a polyline drawn in a tilted or
// mirrored system (extrusion 0,0,-1) would lie somewhere else than where the polyline is seen.
void ocs_to_world(const ads_point extrusion, ads_real* point, int displacement) {
  if (is_world_extrusion(extrusion)) return;
  const resbuf from = extrusion_system(extrusion);
  const resbuf to = coordinate_system(kBksWorld);
  acedTrans(point, &from, &to, displacement, point);
}

// The arc of the segment from a to b of path, in world coordinates; a zero sweep when the
// segment is straight.
SegmentArc planar_arc(const PlanarVertex& a, const PlanarVertex& b, const PlanarPath& path) {
  SegmentArc arc;
  const ads_real bulge = a.bulge;
  const ads_real dx = b.x - a.x;
  const ads_real dy = b.y - a.y;
  const ads_real chord = std::hypot(dx, dy);
  if (bulge == 0.0 || !std::isfinite(bulge) || chord == 0.0) return arc;
  const ads_real radius = chord * (1.0 + bulge * bulge) / (4.0 * std::fabs(bulge));
  // From the middle of the chord to the centre, counted to the left of the chord: the centre of
  // a counter-clockwise arc of less than half a turn lies on its left.
  const ads_real offset = chord * (1.0 - bulge * bulge) / (4.0 * bulge);
  const ads_real cx = (a.x + b.x) / 2.0 - dy / chord * offset;
  const ads_real cy = (a.y + b.y) / 2.0 + dx / chord * offset;
  arc.start = std::atan2(a.y - cy, a.x - cx);
  arc.sweep = 4.0 * std::atan(bulge);
  arc.centre[X] = cx;
  arc.centre[Y] = cy;
  arc.centre[Z] = path.elevation;
  arc.u[X] = radius;
  arc.v[Y] = radius;
  ocs_to_world(path.extrusion, arc.centre, 0);
  ocs_to_world(path.extrusion, arc.u, 1);
  ocs_to_world(path.extrusion, arc.v, 1);
  return arc;
}

// The vertices of path in world coordinates, and with arcs the arc of each of its segments
// (the closing one too when closed); arcs stays empty when no segment is bulged.
void add_planar(const PlanarPath& path, bool closed, PointChain& vertices,
                std::vector<SegmentArc>* arcs) {
  for (const PlanarVertex& vertex : path.vertices) {
    ads_point world = {vertex.x, vertex.y, path.elevation};
    ocs_to_world(path.extrusion, world, 0);
    vertices.add(world);
  }
  const size_t count = path.vertices.size();
  if (arcs == nullptr || count < 2) return;
  bool bulged = false;
  for (size_t i = 0; i < (closed ? count : count - 1); ++i) {
    arcs->push_back(planar_arc(path.vertices[i], path.vertices[(i + 1) % count], path));
    bulged = bulged || arcs->back().sweep != 0.0;
  }
  if (!bulged) arcs->clear();
}

void every_group(resbuf* data, short code, PointChain& vertices) {
  for (resbuf* group = rb_assoc(data, code); group != nullptr;
       group = rb_assoc(group->rbnext, code)) {
    vertices.add(group->resval.rpoint);
  }
}

// The vertices of an LWPOLYLINE: each group 10, with the bulge (42) that follows it before the
// next vertex.
PlanarPath lwpolyline_path(resbuf* data) {
  PlanarPath path;
  extrusion_of(data, path.extrusion);
  path.elevation = real_group(data, 38);
  for (const resbuf* group = data; group != nullptr; group = group->rbnext) {
    if (group->restype == 10) {
      path.vertices.push_back({group->resval.rpoint[X], group->resval.rpoint[Y], 0.0});
    } else if (group->restype == 42 && !path.vertices.empty()) {
      path.vertices.back().bulge = group->resval.rreal;
    }
  }
  return path;
}

// The VERTEX records behind the header, up to the first record of another type: into vertices
// for a 3D polyline, into path (with their bulges) for a two-dimensional one.
void polyline_points(const ads_name header, int flags, resbuf* data, PointChain& vertices,
                     PlanarPath& path) {
  extrusion_of(data, path.extrusion);
  const resbuf* base = rb_assoc(data, 10);
  path.elevation = base != nullptr ? base->resval.rpoint[Z] : 0.0;
  const bool spline_fit = (flags & kPolylineSplineFit) != 0;
  ads_name current = {header[0], header[1]};
  for (;;) {
    ads_name Vertex;
    if (acdbEntNext(current, Vertex) != RTNORM) acrx_abort(L"Fehler 23");
    // A record the host cannot hand over would end the polyline early, losing its crossings.
    RbList vertex(acdbEntGet(Vertex));
    if (!vertex) acrx_abort(L"Fehler 23");
    const resbuf* type = rb_assoc(vertex.get(), 0);
    if (type == nullptr || type->resval.rstring == nullptr ||
        std::wcscmp(type->resval.rstring, L"VERTEX") != 0) {
      return;
    }
    // The frame of a spline-fitted polyline steers the curve but is not drawn: a cut line
    // crossing the frame crosses nothing the user sees.
    const bool frame = spline_fit && (short_group(vertex.get(), 70) & kVertexSplineFrame) != 0;
    const resbuf* point = rb_assoc(vertex.get(), 10);
    if (!frame && point != nullptr) {
      if ((flags & kPolyline3d) != 0) {
        vertices.add(point->resval.rpoint);
      } else {
        path.vertices.push_back(
            {point->resval.rpoint[X], point->resval.rpoint[Y], real_group(vertex.get(), 42)});
      }
    }
    current[0] = Vertex[0];
    current[1] = Vertex[1];
  }
}

// Where the segment from p1 to p2 meets arc, both seen in the XY plane: up to two points into
// found, in the order of the arc; their number. The ends of both count, with a small tolerance.
int arc_crossings(const ads_point p1, const ads_point p2, const SegmentArc& arc,
                  ads_point found[2]) {
  const ads_real dx = p2[X] - p1[X];
  const ads_real dy = p2[Y] - p1[Y];
  const ads_real length_sq = dx * dx + dy * dy;
  if (length_sq == 0.0) return 0;
  // A point of the arc lies on the segment's line when its offset across the line is 0:
  // a cos t + b sin t = k.
  const ads_real a = -dy * arc.u[X] + dx * arc.u[Y];
  const ads_real b = -dy * arc.v[X] + dx * arc.v[Y];
  const ads_real k = -dy * (p1[X] - arc.centre[X]) + dx * (p1[Y] - arc.centre[Y]);
  const ads_real r = std::hypot(a, b);
  // Seen edge on along the segment's own line, the arc overlaps it rather than crossing it.
  if (r == 0.0 || std::fabs(k) > r * (1.0 + kArcTolerance)) return 0;
  const ads_real phi = std::atan2(b, a);
  const ads_real delta = std::acos(std::clamp(k / r, -1.0, 1.0));
  const ads_real turn = kFullTurn;
  ads_real places[2];
  int count = 0;
  for (const ads_real t : {phi - delta, phi + delta}) {
    // A tangent touches once.
    if (count > 0 && delta <= kArcTolerance) break;
    // How far along the arc, in its own direction, t lies from its start.
    ads_real place = std::fmod((t - arc.start) * (arc.sweep > 0.0 ? 1.0 : -1.0), turn);
    if (place < 0.0) place += turn;
    if (place > turn - kArcTolerance) place = 0.0;
    if (place > std::fabs(arc.sweep) + kArcTolerance) continue;
    const ads_real x = arc.centre[X] + std::cos(t) * arc.u[X] + std::sin(t) * arc.v[X];
    const ads_real y = arc.centre[Y] + std::cos(t) * arc.u[Y] + std::sin(t) * arc.v[Y];
    const ads_real s = ((x - p1[X]) * dx + (y - p1[Y]) * dy) / length_sq;
    if (s < -kArcTolerance || s > 1.0 + kArcTolerance) continue;
    found[count][X] = x;
    found[count][Y] = y;
    found[count][Z] = p1[Z] + s * (p2[Z] - p1[Z]);
    places[count] = place;
    ++count;
  }
  if (count == 2 && places[1] < places[0]) {
    for (int i = X; i <= Z; ++i) std::swap(found[0][i], found[1][i]);
  }
  return count;
}

int count_nodes(const resbuf* list) {
  int count = 0;
  for (; list != nullptr; list = list->rbnext) ++count;
  return count;
}

}  // namespace

RbList entity_points(const ads_name line, std::vector<SegmentArc>* arcs) {
  RbList data(acdbEntGet(line));
  const resbuf* type = rb_assoc(data.get(), 0);
  if (type == nullptr || type->resval.rstring == nullptr) acrx_abort(L"Fehler 5");
  const ACHAR* name = type->resval.rstring;
  PointChain vertices;
  bool closed = false;
  if (std::wcscmp(name, L"LINE") == 0) {
    if (const resbuf* start = rb_assoc(data.get(), 10)) vertices.add(start->resval.rpoint);
    if (const resbuf* end = rb_assoc(data.get(), 11)) vertices.add(end->resval.rpoint);
  } else if (std::wcscmp(name, L"LWPOLYLINE") == 0) {
    closed = (short_group(data.get(), 70) & kPolylineClosed) != 0;
    add_planar(lwpolyline_path(data.get()), closed, vertices, arcs);
  } else if (std::wcscmp(name, L"MLINE") == 0) {
    closed = (short_group(data.get(), 71) & kMlineClosed) != 0;
    every_group(data.get(), 11, vertices);
  } else if (std::wcscmp(name, L"POLYLINE") == 0) {
    const int flags = short_group(data.get(), 70);
    // Meshes are surfaces, not paths along which anything could be dimensioned.
    if ((flags & (kPolygonMesh | kPolyfaceMesh)) != 0) return RbList();
    closed = (flags & kPolylineClosed) != 0;
    PlanarPath path;
    polyline_points(line, flags, data.get(), vertices, path);
    add_planar(path, closed, vertices, arcs);
  } else {
    return RbList();
  }
  if (closed && vertices.first() != nullptr) vertices.add(vertices.first()->resval.rpoint);
  return vertices.release();
}

RbList intersect_lists(const resbuf* cut_list, const resbuf* entity_list, RbList crossings,
                       const std::vector<SegmentArc>* arcs) {
  if (count_nodes(cut_list) < 2 || count_nodes(entity_list) < 2) return crossings;
  if (!crossings) crossings.reset(new_point_node(nullptr));
  resbuf* tail = rb_last(crossings.get());
  const auto append = [&tail](const ads_real* point) {
    tail->rbnext = new_point_node(point);
    tail = tail->rbnext;
    ++ChainRequest.point_count;
  };
  size_t segment = 0;
  for (const resbuf* q = entity_list; q->rbnext != nullptr; q = q->rbnext, ++segment) {
    const SegmentArc* arc =
        arcs != nullptr && segment < arcs->size() && (*arcs)[segment].sweep != 0.0
            ? &(*arcs)[segment]
            : nullptr;
    for (const resbuf* p = cut_list; p->rbnext != nullptr; p = p->rbnext) {
      if (arc != nullptr) {
        ads_point found[2];
        const int count = arc_crossings(p->resval.rpoint, p->rbnext->resval.rpoint, *arc, found);
        for (int i = 0; i < count; ++i) append(found[i]);
        continue;
      }
      ads_point inters_point;
      if (acdbInters(p->resval.rpoint, p->rbnext->resval.rpoint, q->resval.rpoint,
                     q->rbnext->resval.rpoint, 1, inters_point) == RTNORM) {
        append(inters_point);
      }
    }
  }
  return crossings;
}

// Entity vertex lists and their crossings with the cut line.
#include "commands/entity_segments.h"

#include <cwchar>

#include "chain/chain_request.h"
#include "commands/coordinates.h"

namespace {

constexpr int kPolylineClosed = 1;
constexpr int kPolylineSplineFit = 4;
constexpr int kPolyline3d = 8;
constexpr int kPolygonMesh = 16;
constexpr int kPolyfaceMesh = 64;
constexpr int kVertexSplineFrame = 16;
constexpr int kMlineClosed = 2;

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

// A vertex of a two-dimensional polyline: x and y in the object system of the extrusion, at the
// polyline's elevation. Taken as world coordinates it would put a polyline drawn in a tilted
// or mirrored system (extrusion 0,0,-1) somewhere else than where it is seen.
void planar_vertex(const ads_real* vertex, ads_real elevation, const ads_point extrusion,
                   ads_point world) {
  world[X] = vertex[X];
  world[Y] = vertex[Y];
  world[Z] = elevation;
  if (is_world_extrusion(extrusion)) return;
  const resbuf from = extrusion_system(extrusion);
  const resbuf to = coordinate_system(kBksWorld);
  acedTrans(world, &from, &to, 0, world);
}

void every_group(resbuf* data, short code, PointChain& vertices) {
  for (resbuf* group = rb_assoc(data, code); group != nullptr;
       group = rb_assoc(group->rbnext, code)) {
    vertices.add(group->resval.rpoint);
  }
}

void lwpolyline_points(resbuf* data, PointChain& vertices) {
  ads_point extrusion;
  extrusion_of(data, extrusion);
  const ads_real elevation = real_group(data, 38);
  for (resbuf* group = rb_assoc(data, 10); group != nullptr; group = rb_assoc(group->rbnext, 10)) {
    ads_point vertex;
    planar_vertex(group->resval.rpoint, elevation, extrusion, vertex);
    vertices.add(vertex);
  }
}

// The VERTEX records behind the header, up to the first record of another type.
void polyline_points(const ads_name header, int flags, resbuf* data, PointChain& vertices) {
  ads_point extrusion;
  extrusion_of(data, extrusion);
  const resbuf* base = rb_assoc(data, 10);
  const ads_real elevation = base != nullptr ? base->resval.rpoint[Z] : 0.0;
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
        ads_point world;
        planar_vertex(point->resval.rpoint, elevation, extrusion, world);
        vertices.add(world);
      }
    }
    current[0] = Vertex[0];
    current[1] = Vertex[1];
  }
}

int count_nodes(const resbuf* list) {
  int count = 0;
  for (; list != nullptr; list = list->rbnext) ++count;
  return count;
}

}  // namespace

RbList entity_points(const ads_name line) {
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
    lwpolyline_points(data.get(), vertices);
  } else if (std::wcscmp(name, L"MLINE") == 0) {
    closed = (short_group(data.get(), 71) & kMlineClosed) != 0;
    every_group(data.get(), 11, vertices);
  } else if (std::wcscmp(name, L"POLYLINE") == 0) {
    const int flags = short_group(data.get(), 70);
    // Meshes are surfaces, not paths along which anything could be dimensioned.
    if ((flags & (kPolygonMesh | kPolyfaceMesh)) != 0) return RbList();
    closed = (flags & kPolylineClosed) != 0;
    polyline_points(line, flags, data.get(), vertices);
  } else {
    return RbList();
  }
  if (closed && vertices.first() != nullptr) vertices.add(vertices.first()->resval.rpoint);
  return vertices.release();
}

RbList intersect_lists(const resbuf* cut_list, const resbuf* entity_list, RbList crossings) {
  if (count_nodes(cut_list) < 2 || count_nodes(entity_list) < 2) return crossings;
  if (!crossings) crossings.reset(new_point_node(nullptr));
  resbuf* tail = rb_last(crossings.get());
  for (const resbuf* q = entity_list; q->rbnext != nullptr; q = q->rbnext) {
    for (const resbuf* p = cut_list; p->rbnext != nullptr; p = p->rbnext) {
      ads_point inters_point;
      if (acdbInters(p->resval.rpoint, p->rbnext->resval.rpoint, q->resval.rpoint,
                     q->rbnext->resval.rpoint, 1, inters_point) != RTNORM) {
        continue;
      }
      tail->rbnext = new_point_node(inters_point);
      tail = tail->rbnext;
      ++ChainRequest.point_count;
    }
  }
  return crossings;
}

resbuf* rb_assoc(resbuf* list, short code) {
  for (; list != nullptr; list = list->rbnext) {
    if (list->restype == code) return list;
  }
  return nullptr;
}

resbuf* rb_prev(resbuf* list, const resbuf* node) {
  for (; list != nullptr; list = list->rbnext) {
    if (list->rbnext == node) return list;
  }
  return nullptr;
}

resbuf* rb_last(resbuf* list) { return rb_prev(list, nullptr); }

resbuf* rb_append(resbuf* first, resbuf* second) {
  if (first == nullptr) return second;
  rb_last(first)->rbnext = second;
  return first;
}

// The geometry of the chain-by-cut-line command: an entity as the list of its vertices and the
// arcs of its bulged segments, and the crossings of such a list with the vertex list of the cut
// line: with straight segments where the segments meet, with arcs where the arcs are.
#pragma once

#include <vector>

#include "frame/owners.h"
#include "host/arxHeaders.h"

// The curve a bulged polyline segment draws: centre + cos(t) u + sin(t) v for t from start over
// sweep (counter-clockwise for a positive sweep). u and v span the polyline's plane with the
// radius as their length; seen from another plane they need be neither square nor of one
// length. A sweep of 0 stands for a straight segment.
struct SegmentArc {
  ads_point centre = {0.0, 0.0, 0.0};
  ads_point u = {0.0, 0.0, 0.0};
  ads_point v = {0.0, 0.0, 0.0};
  ads_real start = 0.0;
  ads_real sweep = 0.0;
};

// The vertices of a LINE, LWPOLYLINE, MLINE or POLYLINE in world coordinates, one RT3DPOINT node
// per vertex in vertex order and no leading node; a closed figure repeats its first vertex at
// the end. An empty list for any other type and for polyface and polygon-mesh POLYLINEs, which
// are not paths. Ends the command through acrx_abort when the entity cannot be read
// ("Fehler 5") or a POLYLINE's vertices cannot be walked ("Fehler 23").
//
// With arcs, it receives one entry per segment of the list (the closing one included), the arc
// of a segment with a bulge in world coordinates, a zero sweep for a straight one; it stays
// empty when every segment is straight.
RbList entity_points(const ads_name line, std::vector<SegmentArc>* arcs = nullptr);

// Appends to crossings (a point list: a leading node without a point, then the points) every
// point where a segment of entity_list meets a segment of cut_list, by entity segment and then
// by cut segment, raising ChainRequest.point_count for each. A segment with an arc in arcs (as
// entity_points gives them; all in one plane with the lists, whose z is not looked at) is met
// where its arc is: not at all when the cut segment crosses only its chord, twice when it
// crosses the arc twice (in the order of the arc). The leading node is made before the first
// test; with fewer than two nodes in either list nothing is tested and crossings is returned as
// it came.
RbList intersect_lists(const resbuf* cut_list, const resbuf* entity_list, RbList crossings,
                       const std::vector<SegmentArc>* arcs = nullptr);

// The geometry of the chain-by-cut-line command: an entity as the list of its vertices (every
// segment straight, arcs taken as their chords), and the crossings of such a list with the
// vertex list of the cut line. Also small routines over result-buffer lists they use.
#pragma once

#include "frame/owners.h"
#include "host/arxHeaders.h"

// The vertices of a LINE, LWPOLYLINE, MLINE or POLYLINE in world coordinates, one RT3DPOINT node
// per vertex in vertex order and no leading node; a closed figure repeats its first vertex at
// the end. An empty list for any other type and for polyface and polygon-mesh POLYLINEs, which
// are not paths. Ends the command through acrx_abort when the entity cannot be read
// ("Fehler 5") or a POLYLINE's vertices cannot be walked ("Fehler 23").
RbList entity_points(const ads_name line);

// Appends to crossings (a point list: a leading node without a point, then the points) every
// point where a segment of entity_list meets a segment of cut_list, by entity segment and then
// by cut segment, raising ChainRequest.point_count for each. The leading node is made before
// the first test; with fewer than two nodes in either list nothing is tested and crossings is
// returned as it came.
RbList intersect_lists(const resbuf* cut_list, const resbuf* entity_list, RbList crossings);

// The first node of list with the type code, or null.
resbuf* rb_assoc(resbuf* list, short code);

// The node before node in list; with a null node the last node. Null when node is the first
// node or not in the list, and for an empty list.
resbuf* rb_prev(resbuf* list, const resbuf* node);

// The last node of list, or null.
resbuf* rb_last(resbuf* list);

// Links second behind the last node of first and returns first; second when first is empty.
resbuf* rb_append(resbuf* first, resbuf* second);

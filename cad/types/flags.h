// The flag bits and coded values the host reads and sets, each named once, as the DXF reference
// numbers them, with the questions the host asks of a record through them. Group 70 unless said
// otherwise.
#pragma once

#include <cstdint>

#include "cad/db/record.h"

namespace cad {

// POLYLINE; LWPOLYLINE and SPLINE have the closed bit and LWPOLYLINE the linetype bit too.
inline constexpr int64_t kPolylineClosed = 1;
inline constexpr int64_t kPolyline3d = 8;
inline constexpr int64_t kPolygonMesh = 16;
inline constexpr int64_t kPolyfaceMesh = 64;
// The linetype generated along the whole polyline, not from vertex to vertex.
inline constexpr int64_t kPolylineLinetypeGeneration = 128;
// 3D polylines and meshes hold their vertices in world coordinates; a 2D polyline in its own.
inline constexpr int64_t kPolylineWorldVertices = kPolyline3d | kPolygonMesh | kPolyfaceMesh;

// A polygon mesh closed in its N direction too (kPolylineClosed closes it in M).
inline constexpr int64_t kPolygonMeshClosedN = 32;

// VERTEX: a frame point of a spline-fit polyline, not on the drawn curve; a vertex of a 3D
// polyline, of a polygon mesh; of a polyface mesh, where a position has the mesh bit too and a
// face does not.
inline constexpr int64_t kVertexSplineFrame = 16;
inline constexpr int64_t kVertex3dPolyline = 32;
inline constexpr int64_t kVertexMesh = 64;
inline constexpr int64_t kVertexPolyface = 128;

// SPLINE
inline constexpr int64_t kSplineClosed = 1;
// MLINE (71)
inline constexpr int64_t kMlineClosed = 2;
// HATCH: a boundary path (92) given as a polyline, not as edges.
inline constexpr int64_t kHatchPolylinePath = 2;

// DIMENSION: the type in the low bits, and the bits above them.
inline constexpr int64_t kDimensionTypeMask = 7;
inline constexpr int64_t kRotatedDimension = 0;
inline constexpr int64_t kAlignedDimension = 1;
inline constexpr int64_t kAngularDimension = 2;
inline constexpr int64_t kDiameterDimension = 3;
inline constexpr int64_t kRadiusDimension = 4;
inline constexpr int64_t kAngular3PointDimension = 5;
inline constexpr int64_t kOrdinateDimension = 6;
// The block is referenced by this dimension only.
inline constexpr int64_t kDimensionBlockUsed = 32;
// The text stands where the user put it (group 11), not where the dimension variables put it.
inline constexpr int64_t kDimensionUserTextPosition = 128;

inline int64_t dimension_type(const Record& dim) { return dim.integer(70) & kDimensionTypeMask; }
// A linear dimension, rotated or aligned: the kind the host measures and draws itself.
inline bool linear_dimension(const Record& dim) {
  const int64_t type = dimension_type(dim);
  return type == kRotatedDimension || type == kAlignedDimension;
}

// TEXT (71): drawn mirrored in x.
inline constexpr int64_t kTextBackward = 2;

// MTEXT (71), the attachment point: its middle, where a dimension's text sits.
inline constexpr int64_t kMtextMiddleCenter = 5;

// ATTRIB, ATTDEF
inline constexpr int64_t kAttributeInvisible = 1;

// BLOCK: an anonymous block ("*D", "*U", ...), which the host may drop when nothing uses it.
inline constexpr int64_t kBlockAnonymous = 1;

// Colour numbers (62) that name no colour but where an entity's colour comes from.
inline constexpr int64_t kColorByBlock = 0;
inline constexpr int64_t kColorByLayer = 256;

// LAYER; a layer is off when its colour (62) is negative.
inline constexpr int64_t kLayerFrozen = 1;
inline constexpr int64_t kLayerLocked = 4;

inline bool layer_frozen(const Record& layer) { return (layer.integer(70) & kLayerFrozen) != 0; }
inline bool layer_locked(const Record& layer) { return (layer.integer(70) & kLayerLocked) != 0; }
inline bool layer_off(const Record& layer) { return layer.integer(62, 7) < 0; }

}  // namespace cad

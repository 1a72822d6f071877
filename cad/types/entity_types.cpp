#include "cad/types/entity_types.h"

#include <algorithm>

#include "cad/base/text.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

using R = GroupRole;

constexpr GroupOfType kLine[] = {{10, R::kWorldPoint}, {11, R::kWorldPoint}};
constexpr GroupOfType kPoint[] = {{10, R::kWorldPoint}};
constexpr GroupOfType kCircle[] = {
    {10, R::kOcsPoint}, {40, R::kLength}, {50, R::kAngle}, {51, R::kAngle}};
constexpr GroupOfType kEllipse[] = {{10, R::kWorldPoint}, {11, R::kWorldVector}};
constexpr GroupOfType kLwpolyline[] = {
    {10, R::kOcsPoint}, {40, R::kLength}, {41, R::kLength}, {43, R::kLength}, {42, R::kBulge}};
constexpr GroupOfType kPolyline[] = {{40, R::kLength}, {41, R::kLength}};
constexpr GroupOfType kVertex[] = {
    {10, R::kVertexPoint}, {40, R::kLength}, {41, R::kLength}, {42, R::kBulge}, {50, R::kAngle}};
constexpr GroupOfType kSolid[] = {
    {10, R::kOcsPoint}, {11, R::kOcsPoint}, {12, R::kOcsPoint}, {13, R::kOcsPoint}};
constexpr GroupOfType kFace[] = {
    {10, R::kWorldPoint}, {11, R::kWorldPoint}, {12, R::kWorldPoint}, {13, R::kWorldPoint}};
constexpr GroupOfType kText[] = {{10, R::kOcsPoint}, {11, R::kOcsPoint}, {40, R::kLength}};
constexpr GroupOfType kMtext[] = {
    {10, R::kWorldPoint}, {40, R::kLength}, {41, R::kLength}, {46, R::kLength}};
constexpr GroupOfType kInsert[] = {{10, R::kOcsPoint}, {41, R::kLength}, {42, R::kLength},
                                   {43, R::kLength},   {44, R::kLength}, {45, R::kLength}};
constexpr GroupOfType kDimension[] = {
    {10, R::kWorldPoint}, {11, R::kOcsPoint},   {12, R::kOcsPoint},   {13, R::kWorldPoint},
    {14, R::kWorldPoint}, {15, R::kWorldPoint}, {16, R::kWorldPoint}, {50, R::kAngle}};
constexpr GroupOfType kSpline[] = {{10, R::kWorldPoint}, {11, R::kWorldPoint}, {12, R::kDirection},
                                   {13, R::kDirection},  {42, R::kLength},     {43, R::kLength},
                                   {44, R::kLength}};
constexpr GroupOfType kXline[] = {{10, R::kWorldPoint}, {11, R::kDirection}};
constexpr GroupOfType kLeader[] = {{10, R::kWorldPoint},   {211, R::kDirection},
                                   {212, R::kWorldVector}, {213, R::kWorldVector},
                                   {40, R::kLength},       {41, R::kLength}};
constexpr GroupOfType kMline[] = {{10, R::kWorldPoint}, {11, R::kWorldPoint}, {12, R::kDirection},
                                  {13, R::kDirection},  {40, R::kLength},     {41, R::kLength}};

constexpr int kNeedsEnds[] = {10, 11};
constexpr int kNeedsPoint[] = {10};
constexpr int kNeedsCircle[] = {10, 40};
constexpr int kNeedsArc[] = {10, 40, 50, 51};
constexpr int kNeedsText[] = {10, 40, 1};
constexpr int kNeedsAttribute[] = {10, 40, 1, 2};
constexpr int kNeedsEllipse[] = {10, 11, 40};
constexpr int kNeedsCorners[] = {10, 11, 12};
constexpr int kNeedsShape[] = {2, 10, 40};
constexpr int kNeedsInsert[] = {2, 10};

std::string_view polyline_class(int64_t flags) {
  if (flags & kPolyline3d) return "AcDb3dPolyline";
  if (flags & kPolygonMesh) return "AcDbPolygonMesh";
  if (flags & kPolyfaceMesh) return "AcDbPolyFaceMesh";
  return "AcDb2dPolyline";
}

// A polyface mesh's face record has no AcDbVertex before its own subclass.
bool face_record(int64_t flags) { return (flags & kVertexPolyface) && !(flags & kVertexMesh); }

std::string_view vertex_base(int64_t flags) { return face_record(flags) ? "" : "AcDbVertex"; }

std::string_view vertex_class(int64_t flags) {
  if (face_record(flags)) return "AcDbFaceRecord";
  if ((flags & kVertexPolyface) && (flags & kVertexMesh)) return "AcDbPolyFaceMeshVertex";
  if (flags & kVertexMesh) return "AcDbPolygonMeshVertex";
  if (flags & kVertex3dPolyline) return "AcDb3dPolylineVertex";
  return "AcDb2dVertex";
}

std::string_view dimension_class(int64_t flags) {
  switch (flags & kDimensionTypeMask) {
    case kAngularDimension:
      return "AcDb2LineAngularDimension";
    case kDiameterDimension:
      return "AcDbDiametricDimension";
    case kRadiusDimension:
      return "AcDbRadialDimension";
    case kAngular3PointDimension:
      return "AcDb3PointAngularDimension";
    case kOrdinateDimension:
      return "AcDbOrdinateDimension";
    default:
      return "AcDbAlignedDimension";
  }
}

std::string_view rotated_dimension(int64_t flags) {
  return (flags & kDimensionTypeMask) == kRotatedDimension ? "AcDbRotatedDimension" : "";
}

constexpr int kArcAngles[] = {50, 51};
constexpr int kTextAlignment[] = {73};
constexpr int kDimensionOwn[] = {12, 13, 14, 15, 16, 40, 50, 52};

constexpr SubclassOfType kLineClasses[] = {{"AcDbLine", {}, true, nullptr}};
constexpr SubclassOfType kPointClasses[] = {{"AcDbPoint", {}, true, nullptr}};
constexpr SubclassOfType kCircleClasses[] = {{"AcDbCircle", {}, true, nullptr}};
constexpr SubclassOfType kArcClasses[] = {{"AcDbCircle", {}, true, nullptr},
                                          {"AcDbArc", kArcAngles, false, nullptr}};
constexpr SubclassOfType kTextClasses[] = {{"AcDbText", {}, true, nullptr},
                                           {"AcDbText", kTextAlignment, false, nullptr}};
constexpr SubclassOfType kMtextClasses[] = {{"AcDbMText", {}, true, nullptr}};
constexpr SubclassOfType kSolidClasses[] = {{"AcDbTrace", {}, true, nullptr}};
constexpr SubclassOfType kInsertClasses[] = {{"AcDbBlockReference", {}, true, nullptr}};
constexpr SubclassOfType kLwpolylineClasses[] = {{"AcDbPolyline", {}, true, nullptr}};
constexpr SubclassOfType kPolylineClasses[] = {{"", {}, true, polyline_class}};
constexpr SubclassOfType kVertexClasses[] = {{"", {}, false, vertex_base},
                                             {"", {}, true, vertex_class}};
constexpr SubclassOfType kDimensionClasses[] = {{"AcDbDimension", {}, true, nullptr},
                                                {"", kDimensionOwn, false, dimension_class},
                                                {"", {}, false, rotated_dimension}};

// And to DIMENSION: the text's attachment, line spacing, measurement, version.
constexpr int kDimensionAfterR12[] = {41, 42, 71, 72, 73, 74, 75, 90, 280};

// Groups later versions added to every entity: linetype scale, visibility, proxy graphics,
// material, lineweight, plot style, true colour, colour name, transparency, shadows, layout.
constexpr int kEntityAfterR12[] = {48,  60,  92,  160, 284, 310, 347, 348,
                                   370, 380, 390, 410, 420, 430, 440};

using K = EntityKind;

// The commonest types first: kinds are looked up for every entity drawn.
// clang-format off
constexpr EntityType kTypes[] = {
//   name             kind            planar r12    moved  groups       alone  required         laid   subclasses          after R12
    {"LINE",          K::kLine,       false, true,  true,  kLine,       true,  kNeedsEnds,      true,  kLineClasses,       {}},
    {"LWPOLYLINE",    K::kLwpolyline, true,  false, true,  kLwpolyline, true,  kNeedsPoint,     true,  kLwpolylineClasses, {}},
    {"INSERT",        K::kInsert,     true,  true,  true,  kInsert,     true,  kNeedsInsert,    true,  kInsertClasses,     {}},
    {"TEXT",          K::kText,       true,  true,  true,  kText,       true,  kNeedsText,      true,  kTextClasses,       {}},
    {"DIMENSION",     K::kDimension,  true,  true,  true,  kDimension,  true,  {},              true,  kDimensionClasses,  kDimensionAfterR12},
    {"CIRCLE",        K::kCircle,     true,  true,  true,  kCircle,     true,  kNeedsCircle,    true,  kCircleClasses,     {}},
    {"ARC",           K::kArc,        true,  true,  true,  kCircle,     true,  kNeedsArc,       true,  kArcClasses,        {}},
    {"POLYLINE",      K::kPolyline,   true,  true,  true,  kPolyline,   false, {},              true,  kPolylineClasses,   {}},
    {"VERTEX",        K::kOther,      false, true,  true,  kVertex,     false, kNeedsPoint,     true,  kVertexClasses,     {}},
    {"SEQEND",        K::kOther,      false, true,  true,  {},          false, {},              true,  {},                 {}},
    {"MTEXT",         K::kMtext,      false, false, true,  kMtext,      true,  {},              true,  kMtextClasses,      {}},
    {"POINT",         K::kPoint,      false, true,  true,  kPoint,      true,  kNeedsPoint,     true,  kPointClasses,      {}},
    {"ATTRIB",        K::kText,       true,  true,  true,  kText,       false, kNeedsAttribute, false, {},                 {}},
    {"ATTDEF",        K::kText,       true,  true,  true,  kText,       true,  kNeedsAttribute, false, {},                 {}},
    {"SOLID",         K::kSolid,      true,  true,  true,  kSolid,      true,  kNeedsCorners,   true,  kSolidClasses,      {}},
    {"TRACE",         K::kSolid,      true,  true,  true,  kSolid,      true,  kNeedsCorners,   false, {},                 {}},
    {"3DFACE",        K::kFace,       false, true,  true,  kFace,       true,  kNeedsCorners,   false, {},                 {}},
    {"ELLIPSE",       K::kEllipse,    false, false, true,  kEllipse,    true,  kNeedsEllipse,   false, {},                 {}},
    {"SPLINE",        K::kSpline,     false, false, true,  kSpline,     true,  {},              false, {},                 {}},
    {"HATCH",         K::kHatch,      true,  false, false, {},          true,  {},              false, {},                 {}},
    {"MLINE",         K::kMline,      false, false, true,  kMline,      true,  {},              false, {},                 {}},
    {"LEADER",        K::kLeader,     false, false, true,  kLeader,     true,  {},              false, {},                 {}},
    {"XLINE",         K::kOther,      false, false, true,  kXline,      true,  {},              false, {},                 {}},
    {"RAY",           K::kOther,      false, false, true,  kXline,      true,  {},              false, {},                 {}},
    {"ARC_DIMENSION", K::kDimension,  false, false, false, {},          false, {},              false, {},                 {}},
    {"SHAPE",         K::kOther,      true,  true,  false, {},          true,  kNeedsShape,     false, {},                 {}},
    {"TOLERANCE",     K::kOther,      false, false, false, {},          true,  {},              false, {},                 {}},
    {"3DLINE",        K::kOther,      false, true,  false, {},          false, {},              false, {},                 {}},
    {"VIEWPORT",      K::kOther,      false, true,  false, {},          false, {},              false, {},                 {}},
};
// clang-format on

}  // namespace

const EntityType* find_entity_type(std::string_view name) {
  for (const EntityType& type : kTypes)
    if (type.name == name) return &type;
  return nullptr;
}

EntityKind entity_kind(std::string_view name) {
  for (const EntityType& type : kTypes)
    if (iequals(type.name, name)) return type.kind;
  return EntityKind::kOther;
}

GroupRole group_role(std::string_view type, int code) {
  if (code == 39) return GroupRole::kLength;
  const EntityType* found = find_entity_type(type);
  if (!found) return GroupRole::kOther;
  for (const GroupOfType& group : found->groups)
    if (group.code == code) return group.role;
  return GroupRole::kOther;
}

bool r12_has_group(const EntityType* type, int code) {
  const auto in = [code](std::span<const int> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  return !in(kEntityAfterR12) && (type == nullptr || !in(type->after_r12));
}

}  // namespace cad

#include "cad/types/entity_types.h"

#include "cad/base/text.h"

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

using K = EntityKind;

// The commonest types first: kinds are looked up for every entity drawn.
//  name, kind, planar, r12, transformable, groups, made alone, required groups
constexpr EntityType kTypes[] = {
    {"LINE", K::kLine, false, true, true, kLine, true, kNeedsEnds},
    {"LWPOLYLINE", K::kLwpolyline, true, false, true, kLwpolyline, true, kNeedsPoint},
    {"INSERT", K::kInsert, true, true, true, kInsert, true, kNeedsInsert},
    {"TEXT", K::kText, true, true, true, kText, true, kNeedsText},
    {"DIMENSION", K::kDimension, true, true, true, kDimension, true, {}},
    {"CIRCLE", K::kCircle, true, true, true, kCircle, true, kNeedsCircle},
    {"ARC", K::kArc, true, true, true, kCircle, true, kNeedsArc},
    {"POLYLINE", K::kPolyline, true, true, true, kPolyline, false, {}},
    {"VERTEX", K::kOther, false, true, true, kVertex, false, kNeedsPoint},
    {"SEQEND", K::kOther, false, true, true, {}, false, {}},
    {"MTEXT", K::kMtext, false, false, true, kMtext, true, {}},
    {"POINT", K::kPoint, false, true, true, kPoint, true, kNeedsPoint},
    {"ATTRIB", K::kText, true, true, true, kText, false, kNeedsAttribute},
    {"ATTDEF", K::kText, true, true, true, kText, true, kNeedsAttribute},
    {"SOLID", K::kSolid, true, true, true, kSolid, true, kNeedsCorners},
    {"TRACE", K::kSolid, true, true, true, kSolid, true, kNeedsCorners},
    {"3DFACE", K::kFace, false, true, true, kFace, true, kNeedsCorners},
    {"ELLIPSE", K::kEllipse, false, false, true, kEllipse, true, kNeedsEllipse},
    {"SPLINE", K::kSpline, false, false, true, kSpline, true, {}},
    {"HATCH", K::kHatch, true, false, false, {}, true, {}},
    {"MLINE", K::kMline, false, false, true, kMline, true, {}},
    {"LEADER", K::kLeader, false, false, true, kLeader, true, {}},
    {"XLINE", K::kOther, false, false, true, kXline, true, {}},
    {"RAY", K::kOther, false, false, true, kXline, true, {}},
    {"ARC_DIMENSION", K::kDimension, false, false, false, {}, false, {}},
    {"SHAPE", K::kOther, true, true, false, {}, true, kNeedsShape},
    {"TOLERANCE", K::kOther, false, false, false, {}, true, {}},
    {"3DLINE", K::kOther, false, true, false, {}, false, {}},
    {"VIEWPORT", K::kOther, false, true, false, {}, false, {}},
};

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

}  // namespace cad

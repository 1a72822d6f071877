// The entity types the host interprets, each described once: how it draws, whether it lies in
// its object coordinate system, whether R12 has it, what its groups hold for moving and turning
// it, what making it through the interface needs, and its subclasses as files mark them. Shapes
// and pictures, the coordinate conversions and entity making of the interface, the DXF reader
// and writer (subclass markers, the R12 forms) and the transforms of MOVE, ROTATE, SCALE and
// MIRROR ask this table. So do the groups R12 lacks, and which records are parts of another.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "cad/base/text.h"

namespace cad {

// The entity types that draw, told apart once for shapes and pictures alike: SOLID and TRACE are
// kSolid, TEXT, ATTRIB and ATTDEF kText, DIMENSION and ARC_DIMENSION kDimension, 3DFACE kFace.
// Every other type is kOther and draws nothing.
enum class EntityKind {
  kOther,
  kLine,
  kPoint,
  kCircle,
  kArc,
  kEllipse,
  kLwpolyline,
  kPolyline,
  kSolid,
  kFace,
  kMline,
  kInsert,
  kDimension,
  kText,
  kMtext,
  kHatch,
  kSpline,
  kLeader
};

// What a group holds, and so how a transform carries it.
enum class GroupRole : uint8_t {
  kOther,        // left as it is
  kWorldPoint,   // moves with the world
  kOcsPoint,     // a point in the object's plane
  kVertexPoint,  // a VERTEX's point: in the world or in the plane, as its POLYLINE's flags say
  kWorldVector,  // a world displacement: turned and scaled, not moved
  kDirection,    // a world direction: turned, kept unit length
  kLength,       // scaled
  kAngle,        // an angle in the object's plane (radians from its X axis)
  kBulge,        // turns round in a mirror
};

struct GroupOfType {
  int code;
  GroupRole role;
};

// One subclass of an entity's data, as its marker (group 100) leads it in a file: the groups
// whose codes it lists, or, for the one marked rest, every group no other subclass lists. Where
// by_flags is given, it names the marker by the entity's flags (70): none where the subclass is
// absent.
struct SubclassOfType {
  std::string_view marker;
  std::span<const int> codes;
  bool rest;
  std::string_view (*by_flags)(int64_t flags);
};

struct EntityType {
  std::string_view name;  // as files name it
  EntityKind kind;
  // Kept in its object coordinate system (for POLYLINE: a 2D one, see kPolylineWorldVertices).
  bool planar;
  bool r12;  // R12 has the type
  // Carried by the transforms, with the groups whose role is not kOther (thickness, 39, is a
  // length in every type).
  bool transformable;
  std::span<const GroupOfType> groups;
  // Made by acdbEntMake in one call, not as a part of a POLYLINE or an INSERT with attributes.
  bool made_alone;
  // The groups an entity made through the interface cannot do without.
  std::span<const int> required;
  // Whether the host knows its subclasses (after AcDbEntity), which are then these; the markers
  // of a type it does not know stay as the file gave them.
  bool laid_out;
  std::span<const SubclassOfType> subclasses;
  // Groups of its own that later versions added and R12 lacks.
  std::span<const int> after_r12;
};

// A record that follows an entity as one of its parts: a POLYLINE's VERTEX, an INSERT's ATTRIB,
// and the SEQEND that ends them; types in any case, as entity_kind takes them. Inline, as it
// runs for every record read and written.
inline bool is_entity_part(std::string_view type) {
  return iequals(type, "VERTEX") || iequals(type, "SEQEND") || iequals(type, "ATTRIB");
}
// Whether parts follow an entity: a POLYLINE's always, an INSERT's when its attributes follow
// (its group 66 is 1).
inline bool has_entity_parts(std::string_view type, int64_t attributes_follow) {
  return iequals(type, "POLYLINE") || (iequals(type, "INSERT") && attributes_follow == 1);
}

// The type of this name, as files name it; nullptr for a type the host does not interpret.
const EntityType* find_entity_type(std::string_view name);
// The kind of a type named in any case.
EntityKind entity_kind(std::string_view name);
// What a group of a type holds; kOther for a type the host does not interpret.
GroupRole group_role(std::string_view type, int code);
// Whether R12 has a group of an entity of the type (nullptr for a type the host does not
// interpret): not one later versions added to every entity, nor to the type.
bool r12_has_group(const EntityType* type, int code);

}  // namespace cad

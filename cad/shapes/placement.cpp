#include "cad/shapes/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "cad/base/text.h"
#include "cad/db/record.h"
#include "cad/geom/coords.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"

namespace cad {

namespace {
// An MINSERT array larger than this draws only its first copies.
constexpr int64_t kMaxArrayCopies = 10000;
constexpr double kMtextLinePitch = 5.0 / 3.0;  // of the text height
}  // namespace

bool draws_in_block(std::string_view type) {
  return !is_entity_part(type) && !iequals(type, "ATTDEF");
}

std::vector<Affine> insert_maps(const Database& db, const Record& insert, size_t block,
                                const Affine& outer) {
  const Vec3 base = db.record(db.blocks()[block].begin).point(10);
  const double rotation = insert.real(50);
  const Vec3 ux{std::cos(rotation), std::sin(rotation), 0};
  const Vec3 uy{-std::sin(rotation), std::cos(rotation), 0};
  Affine local{ux * insert.real(41, 1), uy * insert.real(42, 1), {0, 0, insert.real(43, 1)}, {}};
  const Affine to_world = outer.after(ocs_map(extrusion_of(insert)));
  const int64_t columns = std::clamp<int64_t>(insert.integer(70, 1), 1, kMaxArrayCopies);
  const int64_t rows = std::clamp<int64_t>(insert.integer(71, 1), 1, kMaxArrayCopies / columns);
  const Vec3 insertion = insert.point(10);
  std::vector<Affine> maps;
  for (int64_t r = 0; r < rows; ++r) {
    for (int64_t c = 0; c < columns; ++c) {
      local.origin = insertion + ux * (insert.real(44) * static_cast<double>(c)) +
                     uy * (insert.real(45) * static_cast<double>(r)) - local.linear(base);
      maps.push_back(to_world.after(local));
    }
  }
  return maps;
}

size_t attributes_end(const Database& db, const std::vector<RecordId>& siblings, size_t index) {
  size_t k = index + 1;
  while (k < siblings.size() && db.valid(siblings[k]) &&
         iequals(db.record(siblings[k]).type, "ATTRIB"))
    ++k;
  return k;
}

std::optional<TextPlacement> place_text(const Record& rec) {
  const bool attdef = iequals(rec.type, "ATTDEF");
  const bool attribute = attdef || iequals(rec.type, "ATTRIB");
  if (attribute && (rec.integer(70) & kAttributeInvisible)) return std::nullopt;
  TextPlacement place;
  place.height = rec.real(40);
  if (place.height <= 0) return std::nullopt;
  place.text = rec.text(attdef ? 2 : 1);
  place.width_factor = rec.real(41, 1);
  if (place.width_factor <= 0) place.width_factor = 1;
  const int64_t horizontal = rec.integer(72);
  const int64_t vertical = rec.integer(attribute ? 74 : 73);
  const Vec3 first = rec.point(10);
  const bool aligned = rec.has(11) && (horizontal != 0 || vertical != 0);
  place.anchor = aligned ? rec.point(11) : first;
  place.rotation = rec.real(50);
  if (aligned && (horizontal == 3 || horizontal == 5)) {
    // Aligned and fit text run from the first point to the second.
    const Vec2 run = xy(rec.point(11)) - xy(first);
    if (length(run) > 0) {
      place.fit_length = length(run);
      place.rotation = std::atan2(run.y, run.x);
      place.width_factor = 1;
    }
    place.anchor = first;
  } else {
    place.alignment = horizontal == 1 || horizontal == 4 ? 1 : horizontal == 2 ? 2 : 0;
    if (horizontal == 4 || vertical == 2) place.baseline = -place.height / 2;
    if (vertical == 3) place.baseline = -place.height;
  }
  const int64_t generation = rec.integer(71);
  place.backwards = (generation & 2) != 0;
  place.upside_down = (generation & 4) != 0;
  return place;
}

std::optional<MtextPlacement> place_mtext(const Record& rec) {
  MtextPlacement place;
  place.height = rec.real(40);
  if (place.height <= 0) return std::nullopt;
  for (size_t k = 0; k < rec.xdata_begin(); ++k) {
    const Group& g = rec.groups[k];
    if (g.code == 3 || g.code == 1) place.contents += g.s();
  }
  double spacing = rec.real(44, 1);
  if (spacing <= 0) spacing = 1;
  place.line_pitch = place.height * kMtextLinePitch * spacing;
  const int64_t attachment = std::clamp<int64_t>(rec.integer(71, 1), 1, 9);
  place.column = static_cast<int>((attachment - 1) % 3);
  place.row = static_cast<int>((attachment - 1) / 3);
  const Vec3 extrusion = normalized(extrusion_of(rec));
  place.x_dir = rec.has(11) ? normalized(rec.point(11))
                            : ocs_to_world_disp({std::cos(rec.real(50)), std::sin(rec.real(50)), 0},
                                                extrusion);
  if (place.x_dir == Vec3{}) place.x_dir = ocs_axes(extrusion).x;
  place.y_dir = normalized(cross(extrusion, place.x_dir));
  place.insertion = rec.point(10);
  return place;
}

}  // namespace cad

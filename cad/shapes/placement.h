// Where the parts of an entity are placed: the copies of a block an INSERT draws, the ATTRIBs that
// follow it, and the frames of TEXT and MTEXT. Entity shapes and the pictures both place by these,
// so that a picture draws text and blocks where a pick finds them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"
#include "cad/geom/vec.h"
#include "cad/shapes/affine.h"

namespace cad {

// Blocks inside blocks are drawn this deep; an INSERT further down draws nothing.
constexpr int kMaxBlockNesting = 16;

// Whether an entity of a block's list draws as part of the block: attribute definitions show only
// as the ATTRIBs of each INSERT.
bool draws_in_block(std::string_view type);

// The maps from the block's coordinates to the world of each copy of the block an INSERT draws
// (an MINSERT array: rows of columns, only the first 10000 copies): the block's base point goes to
// the insertion point, the block is scaled and turned about it, carried into the INSERT's object
// coordinates and then by outer.
std::vector<Affine> insert_maps(const Database& db, const Record& insert, size_t block,
                                const Affine& outer);
// The ATTRIBs of the INSERT at siblings[index] stand at index + 1 up to the index returned.
size_t attributes_end(const Database& db, const std::vector<RecordId>& siblings, size_t index);

// Where single-line text (TEXT, ATTRIB, ATTDEF) stands in its object coordinates. Text-local x runs
// along the text, y up from the anchor.
struct TextPlacement {
  std::string_view text;  // as the record holds it, codes not resolved
  double height = 0;
  double width_factor = 1;  // 1 for text fitted between its two points
  Vec3 anchor;
  double rotation = 0;
  int alignment = 0;      // where the anchor is along the text: 0 start, 1 middle, 2 end
  double baseline = 0;    // text-local y; bottom alignment is taken as the baseline
  double fit_length = 0;  // > 0: aligned or fit text, stretched or squeezed to this length
  bool backwards = false;
  bool upside_down = false;
};
// Nothing for invisible attributes and text of no height.
std::optional<TextPlacement> place_text(const Record& rec);

// Where MTEXT stands, in world coordinates (its insertion point and direction are the world's,
// unlike TEXT's).
struct MtextPlacement {
  std::string contents;  // groups 3 and then 1, codes not resolved
  double height = 0;
  double line_pitch = 0;  // from baseline to baseline
  Vec3 insertion;
  Vec3 x_dir;
  Vec3 y_dir;
  int column = 0;  // of the attachment point: 0 left, 1 center, 2 right
  int row = 0;     // 0 top, 1 middle, 2 bottom

  // From the top of the first line to the baseline of the last.
  double total_height(size_t lines) const {
    return height + static_cast<double>(lines - 1) * line_pitch;
  }
};
// Nothing for text of no height.
std::optional<MtextPlacement> place_mtext(const Record& rec);

}  // namespace cad

// SVG pictures of a drawing's model space: what the host would show on a white screen, fitted to
// what is drawn.
#pragma once

#include <optional>
#include <string>

#include "cad/db/database.h"
#include "cad/geom/arcs.h"

namespace cad {

struct SvgOptions {
  // The picture fits in width_px x max_height_px pixels: as wide as width_px unless the drawing
  // is so tall that it would be higher than max_height_px.
  double width_px = 1600;
  double max_height_px = 1600;
  // Space around the drawn extents on each side, as a fraction of their larger side.
  double margin = 0.02;
  // Line widths and the radius of the dots that POINT entities draw, in pixels of the picture
  // whatever the size of the drawing (written in drawing units for the picture's size, so they
  // scale when the picture is shown larger).
  double stroke_px = 1;
  double point_px = 1.5;
  std::string font_family = "sans-serif";
  // A part of the drawing to show (world x/y) instead of the drawn extents; no margin is added.
  std::optional<Box2> window;
};

// The picture of the ENTITIES section: paper-space entities (67 = 1), erased entities and
// entities on layers that are off or frozen are left out (an INSERT on a layer that is off still
// draws the parts of its block that are on other layers, as the host does). Line work comes from
// the entities' shapes (cad/shapes/shapes.h); TEXT, ATTRIB, ATTDEF and MTEXT, also those inside
// blocks and dimension blocks, are drawn as SVG text with their codes resolved
// (cad/render/text_codes.h). Colours follow the entity, its layer (BYLAYER) or the INSERT or
// DIMENSION holding it (BYBLOCK; entities on layer 0 in a block take the holder's layer).
//
// The view box is the drawn extents in drawing units with y pointing up (numbers written with
// y negated), so the header's $EXTMIN/$EXTMAX play no part. The same drawing always gives the
// same bytes. A drawing with nothing to draw gives a small blank picture.
std::string render_svg(const Database& db, const SvgOptions& options = {});

}  // namespace cad

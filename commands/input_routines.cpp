// The input routines of the chain commands.
#include "commands/input_routines.h"

#include <cmath>
#include <cstdarg>
#include <cwchar>

#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "commands/coordinates.h"
#include "commands/entity_segments.h"
#include "frame/command_env.h"
#include "frame/owners.h"
#include "frame/rb_tools.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"

namespace {

constexpr const ACHAR* kPositionPrompt =
    L"\nLage der Hilfslinien durch Punkt, Abstand, Innen,<aUssen>:";
constexpr const ACHAR* kDirectionPrompt = L"\nRichtung der Masskette <2Punkte>:";
constexpr const ACHAR* kDirectionKeywords = L"2Punkte Zurück Undo";

// A dimension line closer to its measured points than this gives no direction to move in.
constexpr ads_real kMinOffset = 1e-9;

void format_prompt(const ACHAR* format, ...) {
  va_list args;
  va_start(args, format);
  acutVSPrintf(ChainRequest.text_buffer, kTextBufferLength, format, args);
  va_end(args);
}

bool keyword_is(const ACHAR* keyword) {
  return std::wcscmp(ChainRequest.text_buffer, keyword) == 0;
}

bool in_window(ads_real angle, ads_real centre) {
  return centre - kAngleTolerance < angle && angle < centre + kAngleTolerance;
}

// The cross axis along which chain generation measures the side for a chain in this
// direction: the UCS Y axis for horizontal chains, the X axis for vertical ones (whichever way
// they run), otherwise the Y axis of the UCS turned to the direction. For the directions that
// chain generation turns by half a turn, it turns the side with them.
void cross_axis(ads_real angle, ads_real& cx, ads_real& cy) {
  if (in_window(angle, 0.0) || in_window(angle, kPi)) {
    cx = 0.0;
    cy = 1.0;
  } else if (in_window(angle, kHalfPi) || in_window(angle, 3.0 * kHalfPi)) {
    cx = 1.0;
    cy = 0.0;
  } else {
    cx = -std::sin(angle);
    cy = std::cos(angle);
  }
}

// The rotation of a dimension, stored in the object system of its extrusion, as a direction in
// the current UCS; directions just below a full turn are taken as just below zero, so that
// they count as horizontal.
ads_real ucs_direction(ads_real rotation, const ads_point extrusion) {
  ads_point along = {std::cos(rotation), std::sin(rotation), 0.0};
  const resbuf from = extrusion_system(extrusion);
  const resbuf to = coordinate_system(kBksUser);
  acedTrans(along, &from, &to, 1, along);
  ads_real angle = std::atan2(along[Y], along[X]);
  if (angle < -kAngleTolerance) angle += kTwoPi;
  return angle;
}

void world_to_user(const ads_real* world, ads_point user) {
  const resbuf from = coordinate_system(kBksWorld);
  const resbuf to = coordinate_system(kBksUser);
  acedTrans(world, &from, &to, 0, user);
}

// Placement beside a dimension needs the spacing settings of the style it will be drawn in,
// and they are only loaded with the style: before the first chain they would all be zero.
void load_current_settings() {
  RbValue rb_dimstyle;
  current_dimstyle(rb_dimstyle);
  get_dimstyle(rb_dimstyle.text());
}

// The line through a reference point at a distance in a direction. RTNORM, or RTCAN when any
// of the three inputs was not given.
int distance_construction() {
  ads_point reference;
  ads_real distance = 0.0;
  ads_real direction = 0.0;
  acedInitGet(RSG_NONULL, nullptr);
  if (acedGetPoint(nullptr, L"\nBezugspunkt:", reference) != RTNORM) return RTCAN;
  acedInitGet(RSG_NONULL, nullptr);
  if (acedGetDist(reference, L"\nAbstand:", &distance) != RTNORM) return RTCAN;
  acedInitGet(RSG_NONULL, nullptr);
  if (acedGetOrient(reference, L"\nRichtung:", &direction) != RTNORM) return RTCAN;
  ChainRequest.line_point[X] = reference[X] + distance * std::cos(direction);
  ChainRequest.line_point[Y] = reference[Y] + distance * std::sin(direction);
  return RTNORM;
}

// The first of two points giving the direction into base; the prompt for the second is left
// in the text buffer. A direction needs a real first point, so Enter asks again.
int two_point_entry(ads_point base) {
  format_prompt(L"\n%d. Punkt:", 1);
  int status;
  while ((status = acedGetPoint(nullptr, ChainRequest.text_buffer, base)) != RTNORM) {
    if (status == RTCAN) return RTCAN;
  }
  format_prompt(L"\n%d. Punkt:", 2);
  return RTNORM;
}

void copy_point(const ads_real* from, ads_point to) {
  to[X] = from[X];
  to[Y] = from[Y];
  to[Z] = from[Z];
}

}  // namespace

int point_loop(resbuf* point_list, const ACHAR* label, int32_t& counter) {
  const resbuf bks_world = coordinate_system(kBksWorld);
  const resbuf bks_user = coordinate_system(kBksUser);
  for (;;) {
    format_prompt(L"\n%d. %s", counter, label);
    // Armed before every request: keywords hold for one input only, and "Zurück" must still
    // work after a reply the prompt did not take.
    acedInitGet(0, L"Zurück Undo");
    ads_point point;
    switch (acedGetPoint(nullptr, ChainRequest.text_buffer, point)) {
      case RTNORM:
        acedTrans(point, &bks_user, &bks_world, 0, point);
        // A point the host had no memory for is lost: the input ends as with Esc, after
        // add_point has said why.
        if (add_point(point, point_list, counter) != RTNORM) return RTCAN;
        break;
      case RTKWORD:
        remove_last_point(point_list, counter);
        break;
      case RTNONE:
        return RTNORM;
      case RTCAN:
        return RTCAN;
      default:
        break;
    }
  }
}

int position_prompt() {
  for (;;) {
    acedInitGet(0, L"aUssen Abstand Innen Dist");
    ads_point picked;
    const int status = acedGetPoint(nullptr, kPositionPrompt, picked);
    if (status == RTNORM) {
      copy_point(picked, ChainRequest.line_point);
      return RTNORM;
    }
    if (status == RTCAN) return RTCAN;
    if (status == RTNONE) {
      if (pick_reference_dim(true) == RTNORM) return RTKWORD;
      continue;
    }
    if (status != RTKWORD) continue;
    read_keyword(ChainRequest.text_buffer);
    if (keyword_is(L"Abstand") || keyword_is(L"Dist")) {
      if (distance_construction() == RTNORM) return RTNORM;
    } else if (keyword_is(L"Innen")) {
      if (pick_reference_dim(false) == RTNORM) return RTKWORD;
    } else if (keyword_is(L"aUssen")) {
      if (pick_reference_dim(true) == RTNORM) return RTKWORD;
    }
  }
}

int direction_prompt() {
  format_prompt(kDirectionPrompt);
  ads_point base;
  copy_point(ChainRequest.line_point, base);
  bool keywords = true;
  for (;;) {
    if (keywords) acedInitGet(0, kDirectionKeywords);
    const int status = acedGetOrient(base, ChainRequest.text_buffer, &ChainRequest.angle);
    if (status == RTNORM) return RTNORM;
    if (status == RTCAN) return RTCAN;
    if (status == RTNONE) {
      if (two_point_entry(base) == RTCAN) return RTCAN;
      keywords = false;
      continue;
    }
    if (status != RTKWORD) continue;
    read_keyword(ChainRequest.text_buffer);
    if (keyword_is(L"Zurück") || keyword_is(L"Undo")) {
      const int position = position_prompt();
      if (position == RTCAN) return RTCAN;
      // A reference dimension fixes the direction together with the side it was measured
      // in; another direction would put the chain on a side chosen for a different line.
      if (position == RTKWORD) return RTNORM;
      copy_point(ChainRequest.line_point, base);
      format_prompt(kDirectionPrompt);
      keywords = true;
    } else if (keyword_is(L"2Punkte")) {
      if (two_point_entry(base) == RTCAN) return RTCAN;
      keywords = false;
    } else {
      format_prompt(kDirectionPrompt);
    }
  }
}

int pick_reference_dim(bool outside) {
  for (;;) {
    ads_name dim;
    ads_point picked;
    const int status = acedEntSel(L"\nBemassung waehlen:", dim, picked);
    if (status == RTCAN) return RTCAN;
    if (status != RTNORM) continue;
    RbList dimresbuf(acdbEntGet(dim));
    const resbuf* type = rb_assoc(dimresbuf.get(), 0);
    if (type == nullptr || type->resval.rstring == nullptr ||
        std::wcscmp(type->resval.rstring, L"DIMENSION") != 0) {
      continue;
    }
    const resbuf* rotation = rb_assoc(dimresbuf.get(), 50);
    const resbuf* on_line = rb_assoc(dimresbuf.get(), 10);
    const resbuf* origin = rb_assoc(dimresbuf.get(), 14);
    if (rotation == nullptr || on_line == nullptr || origin == nullptr) return RTCAN;
    const resbuf* normal = rb_assoc(dimresbuf.get(), 210);
    ads_point extrusion = {0.0, 0.0, 1.0};
    if (normal != nullptr) copy_point(normal->resval.rpoint, extrusion);

    // The dimension keeps its points in world coordinates and its rotation in its own object
    // system, while the chain is built in the current UCS.
    const ads_real angle = ucs_direction(rotation->resval.rreal, extrusion);
    ads_point line;
    ads_point measured;
    world_to_user(on_line->resval.rpoint, line);
    world_to_user(origin->resval.rpoint, measured);
    // Group 10 may lie anywhere on the dimension line (other programs do not keep it square
    // to the second origin), so only the offset square to the line tells its distance.
    const ads_real nx = -std::sin(angle);
    const ads_real ny = std::cos(angle);
    const ads_real offset = (line[X] - measured[X]) * nx + (line[Y] - measured[Y]) * ny;
    // A dimension line through its own points shows no side to move to: not a usable pick.
    if (std::fabs(offset) < kMinOffset) continue;
    const ads_real ux = offset > 0.0 ? nx : -nx;
    const ads_real uy = offset > 0.0 ? ny : -ny;

    // The side is counted in the frame chain generation will use for this direction; the
    // quarter-turn rule alone got it right only near 0 and a quarter turn.
    ads_real cx = 0.0;
    ads_real cy = 0.0;
    cross_axis(angle, cx, cy);
    ChainRequest.side = ux * cx + uy * cy > 0.0 ? 1 : -1;

    load_current_settings();
    const ads_real spacing = DimSettings.chain_spacing - DimSettings.dimline_distance;
    const ads_real shift = outside ? spacing : -(spacing + 2.0 * DimSettings.dimline_distance);
    ChainRequest.angle = angle;
    ChainRequest.line_point[X] = line[X] + ux * shift;
    ChainRequest.line_point[Y] = line[Y] + uy * shift;
    ChainRequest.line_point[Z] = line[Z];
    return RTNORM;
  }
}

void read_keyword(ACHAR* buffer) {
  if (acedGetInput(buffer, kTextBufferLength) != RTNORM) buffer[0] = L'\0';
}

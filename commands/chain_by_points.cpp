// Chain by points: the user picks the points of a new chain, places and directs it.
#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "commands/commands.h"
#include "commands/coordinates.h"
#include "commands/input_routines.h"
#include "frame/command_env.h"
#include "frame/owners.h"
#include "host/arxHeaders.h"
#include "settings/dimstyle.h"

namespace {

// The direction given with the invocation ("(Dulk 90)"), in degrees; false when there is none.
bool angle_argument(ads_real& angle) {
  const RbList args(acedGetArgs());
  const resbuf* first = args.get();
  if (first == nullptr) return false;
  if (first->restype == RTREAL) {
    angle = first->resval.rreal / 180.0 * kPi;
    return true;
  }
  if (first->restype == RTSHORT) {
    angle = first->resval.rint / 180.0 * kPi;
    return true;
  }
  return false;
}

}  // namespace

void Dulk() {
  const CommandEnd end;
  const bool angle_given = angle_argument(ChainRequest.angle);
  const resbuf bks_world = coordinate_system(kBksWorld);
  const resbuf bks_user = coordinate_system(kBksUser);
  RbList point_list(acutNewRb(RT3DPOINT));
  if (!point_list) acrx_abort(L"\nNicht genügend Speicher fuer Punkte !!");
  dim_prepare();
  if (point_loop(point_list.get(), L"Bemassungspunkt:", ChainRequest.point_count) == RTCAN) return;
  const int position = position_prompt();
  if (position == RTCAN || (position == RTNORM && !angle_given && direction_prompt() == RTCAN))
    return;

  RbValue undoctl;
  undo_begin(undoctl.fill());
  for (resbuf* node = point_list.get()->rbnext; node != nullptr; node = node->rbnext) {
    acedTrans(node->resval.rpoint, &bks_world, &bks_user, 0, node->resval.rpoint);
  }
  RbValue rb_dimstyle;
  current_dimstyle(rb_dimstyle);
  get_dimstyle(rb_dimstyle.text());
  create_chain(point_list.get());
  undo_end(&undoctl.get());
}

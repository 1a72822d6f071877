// Adding points to chains and removing points from a chain. Neither edits a dimension: the
// chain is read back into its point list, the list changed and the chain generated anew.
#include "commands/chain_points.h"

#include "chain/chain_data.h"
#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "commands/commands.h"
#include "commands/coordinates.h"
#include "commands/input_routines.h"
#include "commands/read_chain.h"
#include "frame/command_env.h"
#include "frame/owners.h"

namespace {

// A point entered by the user (world) in the UCS of the chain being edited.
void to_chain_ucs(const ads_point point, ads_point pt1) {
  const resbuf bks_world = coordinate_system(kBksWorld);
  const resbuf bks_user = coordinate_system(kBksUser);
  acedTrans(point, &bks_world, &bks_user, 0, pt1);
}

bool within_tolerance(const ads_point a, const ads_point b) {
  for (int i = X; i <= Z; ++i) {
    if (!(b[i] - kPointTolerance < a[i] && a[i] < b[i] + kPointTolerance)) return false;
  }
  return true;
}

// Without DIMSTYLE the style could not be put back after the chains were read.
void save_env_or_abort(RbValue& dimstyle, RbValue& layer) {
  save_dim_env(dimstyle, layer);
  if (dimstyle.text() == nullptr) acrx_abort(kNoDimstyle);
}

}  // namespace

int remove_point(const ads_point picked, resbuf* point_list, int32_t& count) {
  if (count <= 1 || point_list == nullptr || point_list->rbnext == nullptr) {
    acutPrintf(L"\n Keine Punkte mehr in Masskette !");
    return RTNORM;
  }
  ads_point point_c;
  const resbuf* nearest = point_list->rbnext;
  ads_real best = acutDistance(picked, nearest->resval.rpoint);
  for (const resbuf* node = nearest->rbnext; node != nullptr; node = node->rbnext) {
    const ads_real distance = acutDistance(picked, node->resval.rpoint);
    if (distance < best) {
      best = distance;
      nearest = node;
    }
  }
  point_c[X] = nearest->resval.rpoint[X];
  point_c[Y] = nearest->resval.rpoint[Y];
  point_c[Z] = nearest->resval.rpoint[Z];
  resbuf* before = point_list;
  while (before->rbnext != nullptr) {
    resbuf* pt1 = before->rbnext;
    if (!within_tolerance(pt1->resval.rpoint, point_c)) {
      before = pt1;
      continue;
    }
    before->rbnext = pt1->rbnext;
    pt1->rbnext = nullptr;
    acutRelRb(pt1);
    --count;
  }
  return RTNORM;
}

void BemAdd() {
  int32_t n = 1;
  RbList new_points = new_point_list();
  RbValue dimstyle;
  RbValue layer;
  save_env_or_abort(dimstyle, layer);
  if (point_loop(new_points.get(), L"Punkt zum hinzufügen:", n) != RTNORM) {
    acedRetVoid();
    return;
  }
  SsName ss;
  ads_name chosen;
  if (select_chain(chosen, true) == RTNORM) ss.adopt(chosen);
  int32_t length = selection_length(ss);
  resbuf undoctl{};
  bool undo_begun = false;
  while (length > 0) {
    RbList chain_points = new_point_list();
    dim_prepare();
    if (!undo_begun) {
      undo_begin(&undoctl);
      undo_begun = true;
    }
    // The new points join only a chain that was read: alone they would make a chain of their
    // own beside the one left standing.
    const bool read = read_chain(ss.name(), chain_points.get()) == RTNORM;
    for (const resbuf* node = read ? new_points.get()->rbnext : nullptr; node != nullptr;
         node = node->rbnext) {
      ads_point pt1;
      to_chain_ucs(node->resval.rpoint, pt1);
      add_point(pt1, chain_points.get(), ChainRequest.point_count);
    }
    create_chain(chain_points.get());
    if (read) ucs_previous();
    // Every pass takes at least one dimension out of the set; one that does not would repeat.
    const int32_t left = selection_length(ss);
    length = left < length ? left : 0;
  }
  restore_dim_env(dimstyle, layer);
  if (undo_begun) undo_end(&undoctl);
  acedRetVoid();
}

void BemDel() {
  int32_t n = 1;
  ads_name picked;
  if (select_chain(picked, false) != RTNORM) {
    acedRetVoid();
    return;
  }
  SsName ss;
  ads_name made;
  if (acedSSAdd(picked, nullptr, made) != RTNORM) {
    acedRetVoid();
    return;
  }
  ss.adopt(made);
  RbList removal_points = new_point_list();
  RbList chain_points = new_point_list();
  RbValue dimstyle;
  RbValue layer;
  save_env_or_abort(dimstyle, layer);
  if (point_loop(removal_points.get(), L"Punkt zum entfernen:", n) != RTNORM) {
    acedRetVoid();
    return;
  }
  dim_prepare();
  resbuf undoctl{};
  undo_begin(&undoctl);
  const bool read = read_chain(ss.name(), chain_points.get()) == RTNORM;
  for (const resbuf* node = read ? removal_points.get()->rbnext : nullptr; node != nullptr;
       node = node->rbnext) {
    ads_point pt1;
    to_chain_ucs(node->resval.rpoint, pt1);
    remove_point(pt1, chain_points.get(), ChainRequest.point_count);
  }
  create_chain(chain_points.get());
  if (read) ucs_previous();
  chain_points.reset();
  restore_dim_env(dimstyle, layer);
  undo_end(&undoctl);
  acedRetVoid();
}

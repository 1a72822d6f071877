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

// What BemAdd and BemDel do with each point entered, in the UCS of the chain being edited.
using PointEdit = int (*)(const ads_point point, resbuf* point_list, int32_t& count);

// The two commands differ in what they do with the points and in when the user chooses the
// chains: BemAdd asks for the points first and then for any number of chains, BemDel for one
// chain first and then for the points.
struct PointCommand {
  const ACHAR* label;
  PointEdit edit;
  bool points_first;
};

const PointCommand kAddPoints = {L"Punkt zum hinzufügen:", add_point, true};
const PointCommand kRemovePoints = {L"Punkt zum entfernen:", remove_point, false};

// Picks the one chain BemDel edits into ss; false when the user picked none.
bool pick_one_chain(SsName& ss) {
  ads_name picked;
  if (select_chain(picked, false) != RTNORM) return false;
  ads_name made;
  if (acedSSAdd(picked, nullptr, made) != RTNORM) return false;
  ss.adopt(made);
  return true;
}

// The chains of ss, one after another, read back into their point lists, edited with every
// point entered and generated anew, all in one undo step; then the user's dimension style and
// layer are put back.
void edit_chains(SsName& ss, const resbuf* points, PointEdit edit, const RbValue& dimstyle,
                 const RbValue& layer) {
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
    // The points change only a chain that was read: added alone they would make a chain of
    // their own beside the one left standing.
    const bool read = read_chain(ss.name(), chain_points.get()) == RTNORM;
    for (const resbuf* node = read ? points->rbnext : nullptr; node != nullptr;
         node = node->rbnext) {
      ads_point pt1;
      to_chain_ucs(node->resval.rpoint, pt1);
      edit(pt1, chain_points.get(), ChainRequest.point_count);
    }
    create_chain(chain_points.get());
    if (read) ucs_previous();
    // Every pass takes at least one dimension out of the set; one that does not would repeat.
    const int32_t left = selection_length(ss);
    length = left < length ? left : 0;
  }
  restore_dim_env(dimstyle, layer);
  if (undo_begun) undo_end(&undoctl);
}

void edit_chain_points(const PointCommand& command) {
  const CommandEnd end;
  SsName ss;
  if (!command.points_first && !pick_one_chain(ss)) return;
  RbValue dimstyle;
  RbValue layer;
  save_env_or_abort(dimstyle, layer);
  RbList points = new_point_list();
  int32_t n = 1;
  if (point_loop(points.get(), command.label, n) != RTNORM) return;
  if (command.points_first) {
    ads_name chosen;
    if (select_chain(chosen, true) == RTNORM) ss.adopt(chosen);
  }
  edit_chains(ss, points.get(), command.edit, dimstyle, layer);
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

void BemAdd() { edit_chain_points(kAddPoints); }

void BemDel() { edit_chain_points(kRemovePoints); }

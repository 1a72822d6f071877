// Chain update: every chain with a selected member is read back, erased and generated anew in
// its own UCS, dimension style and layer, with texts from its present geometry and settings.
#include "chain/chain_data.h"
#include "chain/chain_generation.h"
#include "commands/commands.h"
#include "commands/read_chain.h"
#include "frame/command_env.h"
#include "frame/owners.h"
#include "host/arxHeaders.h"

void BemUpd() {
  const CommandEnd end;
  RbValue dimstyle;
  RbValue layer;
  // Without them the chains' styles and layers would stay current after the update.
  if (save_dim_env(dimstyle, layer) != RTNORM || dimstyle.text() == nullptr ||
      layer.text() == nullptr) {
    acrx_abort(kNoDimstyle);
  }
  RbList filter = chain_filter(L"$*");
  // Without its filter the selection would take anything at all for a chain.
  if (!filter) acrx_abort(kCorrectionFailed);
  SsName ss;
  // RTERROR and RTCAN: nothing selected; any other failure is the host's, which must not pass
  // for an empty selection.
  const int selected = ss_get(nullptr, nullptr, nullptr, filter.get(), ss);
  if (selected != RTNORM && selected != RTERROR && selected != RTCAN) acrx_abort(kCorrectionFailed);
  int32_t length = selection_length(ss);
  resbuf undoctl{};
  undo_begin(&undoctl);
  while (length > 0) {
    dim_prepare();
    RbList point_list = new_point_list();
    const bool read = read_chain(ss.name(), point_list.get()) == RTNORM;
    // A chain that could not be read is still there: its empty list generates nothing.
    create_chain(point_list.get());
    point_list.reset();
    if (read) ucs_previous();
    // Every pass takes at least one dimension out of the set; one that does not would repeat.
    const int32_t left = selection_length(ss);
    length = left < length ? left : 0;
  }
  restore_dim_env(dimstyle, layer);
  undo_end(&undoctl);
}

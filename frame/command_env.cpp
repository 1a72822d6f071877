// The command bracket, through system variables and scripted host commands.
#include "frame/command_env.h"

#include <cwchar>

#include "chain/chain_request.h"
#include "settings/dimstyle.h"

namespace {

// UNDOCTL bits.
constexpr int kUndoOn = 1;
constexpr int kUndoOneCommand = 2;
constexpr int kUndoAuto = 4;
constexpr int kUndoGroupOpen = 8;

// Undo commands run only when undo is on, not limited to one command and no group is open.
bool undo_group_wanted(int undoctl) {
  return (undoctl & kUndoGroupOpen) == 0 && (undoctl & kUndoOn) != 0 &&
         (undoctl & kUndoOneCommand) == 0;
}

}  // namespace

const ACHAR* const kNoDimstyle = L"\n Fehler dimstyle";

int dim_prepare() {
  ChainRequest.point_count = 1;
  ChainRequest.side = 0;
  resbuf echo{};
  echo.restype = RTSHORT;
  echo.resval.rint = 0;
  acedSetVar(L"cmdecho", &echo);
  // DIMSTYLE always exists: only a host that cannot hand its text over fails to read it, and a
  // command going on from there would work without the style it relies on.
  RbValue dimstyle;
  if (acedGetVar(L"DIMSTYLE", dimstyle.fill()) != RTNORM) acrx_abort(kNoDimstyle);
  RbList standard(acdbTblSearch(L"DIMSTYLE", L"STANDARD", 0));
  int saved = RTNORM;
  if (!standard) {
    saved = acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, L"STANDARD", RTNONE);
  } else if (dimstyle.text() != nullptr && std::wcscmp(dimstyle.text(), L"*UNNAMED") == 0) {
    saved =
        acedCommandS(RTSTR, L"_dim1", RTSTR, L"_save", RTSTR, L"STANDARD", RTSTR, L"_Yes", RTNONE);
  }
  // A save that failed leaves STANDARD unsecured; so does a lookup that failed although the
  // style is there, as its save then refuses to replace it without being asked.
  if (saved != RTNORM) acrx_abort(kNoDimstyle);
  return RTNORM;
}

void undo_begin(resbuf* undoctl) {
  if (acedGetVar(L"UNDOCTL", undoctl) != RTNORM || undoctl->restype != RTSHORT) {
    // Without the value no undo command is issued, at the beginning or at the end.
    *undoctl = resbuf{};
    undoctl->restype = RTSHORT;
    undoctl->resval.rint = 0;
  }
  const int value = undoctl->resval.rint;
  if (!undo_group_wanted(value)) return;
  if ((value & kUndoAuto) != 0) {
    acedCommandS(RTSTR, L"_undo", RTSTR, L"_auto", RTSTR, L"_off", RTNONE);
  }
  acedCommandS(RTSTR, L"_undo", RTSTR, L"_group", RTNONE);
}

void undo_end(const resbuf* undoctl) {
  const int value = undoctl->restype == RTSHORT ? undoctl->resval.rint : 0;
  if (!undo_group_wanted(value)) return;
  acedCommandS(RTSTR, L"_undo", RTSTR, L"_end", RTNONE);
  if ((value & kUndoAuto) != 0) {
    acedCommandS(RTSTR, L"_undo", RTSTR, L"_auto", RTSTR, L"_on", RTNONE);
  }
}

void current_dimstyle(RbValue& rb_dimstyle) {
  if (acedGetVar(L"DIMSTYLE", rb_dimstyle.fill()) != RTNORM || rb_dimstyle.text() == nullptr) {
    acrx_abort(kNoDimstyle);
  }
}

int save_dim_env(RbValue& rb_dimstyle, RbValue& layer) {
  const int style_status = acedGetVar(L"DIMSTYLE", rb_dimstyle.fill());
  const int layer_status = acedGetVar(L"CLAYER", layer.fill());
  return style_status != RTNORM ? style_status : layer_status;
}

void restore_dim_env(const RbValue& rb_dimstyle, const RbValue& layer) {
  if (rb_dimstyle.text() != nullptr) get_dimstyle(rb_dimstyle.text());
  if (layer.text() != nullptr) {
    acedCommandS(RTSTR, L"_-layer", RTSTR, L"_set", RTSTR, layer.text(), RTSTR, L"", RTNONE);
  }
}

void ucs_previous() { acedCommandS(RTSTR, L"_ucs", RTSTR, L"_previous", RTNONE); }

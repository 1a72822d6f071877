// Input through the C interface: the prompter's answers as host status codes and values. Points
// are in the current UCS, as typed; angles in radians.
//
// acedEntSel: an entity name (a token of a scripted command) is taken as it is; a point picks
// the object drawn nearest to it within the pick tolerance of the select layer, 1/500 of the
// diagonal of the drawing's extents, which suits drawings in millimetres and in metres alike.
// Enter and a point that hits nothing answer RTERROR, Esc RTCAN.
#include <optional>
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/ads/state.h"
#include "cad/base/utf8.h"
#include "cad/input/prompter.h"
#include "cad/select/selection.h"
#include "host/adslib.h"

namespace cad {
namespace {

Prompter& prompter() {
  Host& h = host();
  // A keyword of acdbEntMake is answered by the very next acedGetInput only.
  h.iface().entmake_keyword.reset();
  return h.prompter();
}

std::string prompt_text(const ACHAR* prompt) { return to_utf8(prompt); }

std::optional<Vec3> base_point(const ads_point base) {
  if (!base) return std::nullopt;
  return to_vec(base);
}

int real_result(const Answer& answer, ads_real* result) {
  if (answer.status == RTNORM && result) *result = answer.real;
  return answer.status;
}

}  // namespace
}  // namespace cad

int acedInitGet(int flags, const ACHAR* keywords) {
  cad::prompter().init_get(flags, cad::to_utf8(keywords));
  return RTNORM;
}

// The base point anchors a rubber band only, which a headless host does not draw.
int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result) {
  cad::Answer answer = cad::prompter().get_point(cad::prompt_text(prompt));
  if (answer.status == RTNORM && result) cad::from_vec(answer.point, result);
  return answer.status;
}

int acedGetDist(const ads_point base, const ACHAR* prompt, ads_real* result) {
  return cad::real_result(cad::prompter().get_dist(cad::prompt_text(prompt), cad::base_point(base)),
                          result);
}

int acedGetOrient(const ads_point base, const ACHAR* prompt, ads_real* result) {
  return cad::real_result(
      cad::prompter().get_angle(cad::prompt_text(prompt), cad::base_point(base)), result);
}

int acedGetAngle(const ads_point base, const ACHAR* prompt, ads_real* result) {
  return cad::real_result(
      cad::prompter().get_angle(cad::prompt_text(prompt), cad::base_point(base)), result);
}

int acedGetReal(const ACHAR* prompt, ads_real* result) {
  return cad::real_result(cad::prompter().get_real(cad::prompt_text(prompt)), result);
}

int acedGetInt(const ACHAR* prompt, int* result) {
  cad::Answer answer = cad::prompter().get_int(cad::prompt_text(prompt));
  if (answer.status == RTNORM && result) *result = static_cast<int>(answer.integer);
  return answer.status;
}

int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t len) {
  cad::Answer answer = cad::prompter().get_string(cad::prompt_text(prompt), cronly != 0);
  if (answer.status != RTNORM) return answer.status;
  return cad::copy_wide(answer.text, result, len) ? RTNORM : RTERROR;
}

int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t len) {
  cad::Answer answer = cad::prompter().get_kword(cad::prompt_text(prompt));
  if (answer.status != RTNORM) return answer.status;
  return cad::copy_wide(answer.text, result, len) ? RTNORM : RTERROR;
}

int acedGetInput(ACHAR* str, size_t len) {
  cad::Host& h = cad::host();
  std::optional<std::string> keyword = std::move(h.iface().entmake_keyword);
  h.iface().entmake_keyword.reset();
  std::string text = keyword ? *keyword : h.prompter().last_input();
  if (text.empty()) return RTERROR;
  return cad::copy_wide(text, str, len) ? RTNORM : RTERROR;
}

int acedEntSel(const ACHAR* prompt, ads_name ent, ads_point picked) {
  cad::Host& h = cad::host();
  std::string text = prompt ? cad::to_utf8(prompt) : "\nSelect object: ";
  cad::Answer answer = cad::prompter().get_pick(text);
  if (answer.status == RTNONE) return RTERROR;
  if (answer.status != RTNORM) return answer.status;
  cad::Database& db = h.db();
  cad::RecordId id = cad::kNoRecord;
  if (answer.is_entity) {
    id = cad::name_record(db, answer.entity);
    if (id != cad::kNoRecord && db.erased(id)) id = cad::kNoRecord;
    answer.point = {};
  } else {
    cad::Vec3 world = h.ucs().to_world(answer.point);
    id = cad::pick(db, world, cad::default_pick_tolerance(db));
  }
  if (id == cad::kNoRecord) return RTERROR;
  cad::make_name(db, id, ent);
  if (picked) cad::from_vec(answer.point, picked);
  return RTNORM;
}

resbuf* acedGetArgs(void) {
  const std::vector<cad::Reply>& args = cad::host().command_args();
  if (!args.empty() && cad::fault(cad::FaultKind::kAllocation, __func__)) return nullptr;
  cad::RbBuilder list;
  for (const cad::Reply& arg : args) {
    switch (arg.kind) {
      case cad::Reply::Kind::kInt:
        list.add_short(RTSHORT, static_cast<int>(arg.number));
        break;
      case cad::Reply::Kind::kReal:
        list.add_real(RTREAL, arg.number);
        break;
      case cad::Reply::Kind::kAngle:
        list.add_real(RTANG, arg.number);
        break;
      case cad::Reply::Kind::kPoint:
        list.add_point(RT3DPOINT, arg.point);
        break;
      case cad::Reply::Kind::kEntity:
        list.add_name(RTENAME, arg.entity);
        break;
      case cad::Reply::Kind::kText:
        list.add_text(RTSTR, arg.text);
        break;
      case cad::Reply::Kind::kCancel:
      case cad::Reply::Kind::kEnd:
        break;
    }
  }
  return list.release();
}

// Highlighting (hl) shows nothing without a screen.
int acedGrDraw(const ads_point from, const ads_point to, int color, int hl) {
  if (!from || !to) return RTERROR;
  cad::Host& h = cad::host();
  // Temporary vectors are drawn in the current UCS; kept in world coordinates for pictures.
  h.temp_vectors().push_back(
      {h.ucs().to_world(cad::to_vec(from)), h.ucs().to_world(cad::to_vec(to)), color});
  return RTNORM;
}

int acedRetVoid(void) { return RTNORM; }

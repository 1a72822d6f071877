// Scripted commands through the C interface: acedCommandS and acedCmdS hand the host a command
// and its replies as typed tokens, and the host runs it to completion (Host::run_scripted).
//
// Tokens: RTSTR text, RTPOINT (z 0) and RT3DPOINT points in the current UCS, RTREAL and RTANG
// numbers (an RTANG value in degrees, as a person would type it), RTSHORT and RTLONG whole
// numbers, RTENAME entity names. acedCommandS reads them as type/value pairs up to RTNONE (or 0):
// const ACHAR*, const ads_real*, double, int and const int64_t* respectively. Any other type
// refuses the whole call (RTERROR) without running anything.
#include <vector>

#include "cad/ads/bridge.h"
#include "cad/input/reply.h"
#include "host/adslib.h"

namespace cad {
namespace {

int run(std::vector<Reply> tokens, bool ok) {
  if (!ok) return RTERROR;
  return host().run_scripted(std::move(tokens));
}

}  // namespace
}  // namespace cad

int acedCommandS(int rtype, ...) {
  va_list args;
  va_start(args, rtype);
  std::vector<cad::Reply> tokens;
  bool ok = true;
  for (int type = rtype; ok && type != 0 && type != RTNONE; type = va_arg(args, int)) {
    switch (type) {
      case RTSTR:
        tokens.push_back(cad::text_reply(cad::to_utf8(va_arg(args, const ACHAR*))));
        break;
      case RTPOINT:
      case RT3DPOINT: {
        const ads_real* p = va_arg(args, const ads_real*);
        ok = p != nullptr;
        if (ok) tokens.push_back(cad::point_reply({p[X], p[Y], type == RTPOINT ? 0.0 : p[Z]}));
        break;
      }
      case RTREAL:
        tokens.push_back(cad::real_reply(va_arg(args, double)));
        break;
      case RTANG:
        tokens.push_back(cad::angle_reply(va_arg(args, double)));
        break;
      case RTSHORT:
      case RTLONG:
        tokens.push_back(cad::int_reply(va_arg(args, int)));
        break;
      case RTENAME: {
        const int64_t* name = va_arg(args, const int64_t*);
        ok = name != nullptr;
        if (ok) tokens.push_back(cad::entity_reply(name[0], name[1]));
        break;
      }
      default:
        ok = false;
        break;
    }
  }
  va_end(args);
  return cad::run(std::move(tokens), ok);
}

int acedCmdS(const resbuf* rb, bool, AcApDocument*) {
  std::vector<cad::Reply> tokens;
  bool ok = true;
  for (; ok && rb; rb = rb->rbnext) {
    switch (rb->restype) {
      case RTSTR:
        tokens.push_back(cad::text_reply(cad::to_utf8(rb->resval.rstring)));
        break;
      case RTPOINT:
        tokens.push_back(cad::point_reply({rb->resval.rpoint[X], rb->resval.rpoint[Y], 0}));
        break;
      case RT3DPOINT:
        tokens.push_back(cad::point_reply(cad::to_vec(rb->resval.rpoint)));
        break;
      case RTREAL:
        tokens.push_back(cad::real_reply(rb->resval.rreal));
        break;
      case RTANG:
        tokens.push_back(cad::angle_reply(rb->resval.rreal));
        break;
      case RTSHORT:
        tokens.push_back(cad::int_reply(rb->resval.rint));
        break;
      case RTLONG:
        tokens.push_back(cad::int_reply(rb->resval.rlong));
        break;
      case RTENAME:
        tokens.push_back(cad::entity_reply(rb->resval.rlname[0], rb->resval.rlname[1]));
        break;
      default:
        ok = false;
        break;
    }
  }
  return cad::run(std::move(tokens), ok);
}

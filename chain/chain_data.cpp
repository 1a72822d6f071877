// Chain identity and the chain data in the members' extended data.
#include "chain/chain_data.h"

#include <cmath>
#include <cwchar>

#include "chain/chain_request.h"
#include "frame/rb_tools.h"

namespace {

constexpr const ACHAR* kAnyChain = L"$*";
constexpr const ACHAR* kChainPrompt = L"\nBemassungskette waehlen";

// The extended data of a member: -3, 1001 chain name, 1000 "QRM".
RbList chain_xdata(const ACHAR* chain_name) {
  RbList xdata(acutNewRb(-3));
  if (!xdata) return xdata;
  xdata.get()->rbnext = new_text_node(1001, chain_name);
  if (xdata.get()->rbnext == nullptr) return RbList();
  xdata.get()->rbnext->rbnext = new_text_node(1000, L"QRM");
  if (xdata.get()->rbnext->rbnext == nullptr) return RbList();
  return xdata;
}

bool is_dimension(resbuf* entity_list) {
  const resbuf* type = rb_assoc(entity_list, 0);
  return type != nullptr && type->resval.rstring != nullptr &&
         std::wcscmp(type->resval.rstring, L"DIMENSION") == 0;
}

// The dimension line of a dimension: a point on it (group 10, world) and its direction (the
// rotation, group 50, in the object system of its extrusion), as a world unit vector.
struct DimensionLine {
  ads_point point;
  ads_point direction;
};

bool dimension_line(resbuf* data, DimensionLine& line) {
  const resbuf* on_line = rb_assoc(data, 10);
  if (on_line == nullptr) return false;
  const resbuf* rotation = rb_assoc(data, 50);
  const resbuf* normal = rb_assoc(data, 210);
  const ads_real angle = rotation != nullptr ? rotation->resval.rreal : 0.0;
  resbuf from{};
  from.restype = RT3DPOINT;
  from.resval.rpoint[Z] = 1.0;
  if (normal != nullptr) {
    for (int i = X; i <= Z; ++i) from.resval.rpoint[i] = normal->resval.rpoint[i];
  }
  resbuf to{};
  to.restype = RTSHORT;
  to.resval.rint = 0;
  const ads_point along = {std::cos(angle), std::sin(angle), 0.0};
  if (acedTrans(along, &from, &to, 1, line.direction) != RTNORM) return false;
  const ads_real length =
      std::sqrt(line.direction[X] * line.direction[X] + line.direction[Y] * line.direction[Y] +
                line.direction[Z] * line.direction[Z]);
  if (!(length > 0.0)) return false;
  for (int i = X; i <= Z; ++i) {
    line.point[i] = on_line->resval.rpoint[i];
    line.direction[i] /= length;
  }
  return true;
}

// The length of the cross product of a and b.
ads_real cross_length(const ads_real* a, const ads_real* b) {
  const ads_real x = a[Y] * b[Z] - a[Z] * b[Y];
  const ads_real y = a[Z] * b[X] - a[X] * b[Z];
  const ads_real z = a[X] * b[Y] - a[Y] * b[X];
  return std::sqrt(x * x + y * y + z * z);
}

// Whether other runs along line (parallel within the angle tolerance, either way) and lies on
// it (within the point tolerance across it).
bool on_same_line(const DimensionLine& line, const DimensionLine& other) {
  if (cross_length(line.direction, other.direction) > std::sin(kAngleTolerance)) return false;
  const ads_point offset = {other.point[X] - line.point[X], other.point[Y] - line.point[Y],
                            other.point[Z] - line.point[Z]};
  return cross_length(offset, line.direction) < kPointTolerance;
}

}  // namespace

RbList chain_app_list() { return RbList(new_text_node(1001, kAnyChain)); }

RbList chain_filter(const ACHAR* chain_name) {
  RbList filter(new_text_node(RTDXF0, L"DIMENSION"));
  if (!filter) return filter;
  resbuf* marker = acutNewRb(-3);
  filter.get()->rbnext = marker;
  if (marker == nullptr) return RbList();
  marker->rbnext = new_text_node(1001, chain_name);
  if (marker->rbnext == nullptr) return RbList();
  return filter;
}

std::wstring chain_name_for(const ACHAR* handle) { return L"$" + std::wstring(handle); }

int connect_dim(const resbuf* handle_list) {
  if (handle_list == nullptr || handle_list->resval.rstring == nullptr) return RTERROR;
  // The whole handle text goes into the name: a name cut to a fixed number of digits would
  // give two chains whose first handles share those digits one name, merging them.
  const std::wstring eed_text = chain_name_for(handle_list->resval.rstring);
  // A name registered before (the same chain tagged again) is accepted as it is.
  acdbRegApp(eed_text.c_str());
  for (const resbuf* node = handle_list; node != nullptr; node = node->rbnext) {
    ads_name dim_act;
    if (node->resval.rstring == nullptr || acdbHandEnt(node->resval.rstring, dim_act) != RTNORM) {
      return RTERROR;
    }
    RbList member(acdbEntGet(dim_act));
    RbList xdata = chain_xdata(eed_text.c_str());
    if (!member || !xdata) return RTERROR;
    rb_append(member.get(), xdata.release());
    if (acdbEntMod(member.get()) != RTNORM) return RTERROR;
  }
  return RTNORM;
}

int find_chain_members(const ads_name dim, std::wstring& chain_name, SsName& members) {
  RbList apps = chain_app_list();
  if (!apps) return RTREJ;
  RbList data(acdbEntGetX(dim, apps.get()));
  if (!data) return RTREJ;
  const resbuf* app = rb_assoc(data.get(), 1001);
  if (app == nullptr || app->resval.rstring == nullptr) return RTERROR;
  chain_name = app->resval.rstring;
  RbList filter = chain_filter(chain_name.c_str());
  if (!filter) return RTREJ;
  const int status = ss_get(L"X", nullptr, nullptr, filter.get(), members);
  if (status != RTNORM) return status;
  // Copying a chain copies its chain data: the copies carry its name but lie on lines of their
  // own, and each is a chain of its own. Only the dimensions on this one's line belong to it.
  DimensionLine line;
  if (!dimension_line(data.get(), line)) {
    members.reset();
    return RTCAN;
  }
  int32_t length = 0;
  if (acedSSLength(members.name(), &length) != RTNORM) return RTREJ;
  // From the end, so that taking one out leaves the places of those still to be looked at.
  for (int32_t i = length - 1; i >= 0; --i) {
    ads_name member;
    if (acedSSName(members.name(), i, member) != RTNORM) return RTREJ;
    RbList member_data(acdbEntGet(member));
    if (!member_data) return RTREJ;
    DimensionLine member_line;
    if (!dimension_line(member_data.get(), member_line) || !on_same_line(line, member_line)) {
      acedSSDel(member, members.name());
    }
  }
  return RTNORM;
}

int select_chain(ads_name result, bool multi) {
  RbList apps = chain_app_list();
  RbList filter = chain_filter(kAnyChain);
  for (;;) {
    int status;
    ads_point picked;
    if (multi) {
      acutPrintf(kChainPrompt);
      status = acedSSGet(nullptr, nullptr, nullptr, filter.get(), result);
    } else {
      status = acedEntSel(kChainPrompt, result, picked);
    }
    if (status == RTCAN || status == RTNONE) return status;
    if (status == RTERROR) {
      acutPrintf(L"\nKeine Bemassungskette gewaehlt !");
      continue;
    }
    if (status != RTNORM) continue;
    if (multi) return RTNORM;
    RbList entity(acdbEntGet(result));
    if (!is_dimension(entity.get())) continue;
    RbList data(acdbEntGetX(result, apps.get()));
    const resbuf* app = rb_assoc(data.get(), 1001);
    if (app == nullptr || app->resval.rstring == nullptr) continue;
    if (app->resval.rstring[0] == L'$') return RTNORM;
    acedAlert(L"Keine DULK Bemassung!");
  }
}

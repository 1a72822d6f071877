// Reading a chain back from its dimensions: every member is checked before any is erased, so a
// chain is either read whole or left as it is.
#include "commands/read_chain.h"

#include <cmath>
#include <string>
#include <vector>

#include "chain/chain_data.h"
#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "commands/coordinates.h"
#include "frame/command_env.h"
#include "frame/rb_tools.h"
#include "settings/dim_settings.h"
#include "settings/dimstyle.h"

namespace {

// Relative to the offset's length, what is left of a y of 0 after turning coordinates.
constexpr ads_real kAcrossTolerance = 1e-6;
// When the host fails to read a chain or to take it out of the drawing: the chain would be
// regenerated in part or stand twice, while the other selected chains are updated.
constexpr const ACHAR* kNothingMade = L"\n Keine neue Bemassung generiert !";

struct Member {
  ads_name name;
  ads_point hp1;
  ads_point hp2;
};

// A point of an entity list (world) in the current UCS.
void to_user(const ads_point hp, ads_point result) {
  const resbuf bks_world = coordinate_system(kBksWorld);
  const resbuf bks_user = coordinate_system(kBksUser);
  acedTrans(hp, &bks_world, &bks_user, 0, result);
}

void drop_from(const ads_name ss, const ads_name dim) {
  if (acedSSMemb(dim, ss) == RTNORM) acedSSDel(dim, ss);
}

// The extension-line origins of every member in the current UCS; false when a member lacks one.
bool read_members(const SsName& dim_chain, std::vector<Member>& members) {
  int32_t count = 0;
  if (acedSSLength(dim_chain.name(), &count) != RTNORM) count = 0;
  for (int32_t i = 0; i < count; ++i) {
    Member member{};
    if (acedSSName(dim_chain.name(), i, member.name) != RTNORM) return false;
    RbList dim(acdbEntGet(member.name));
    if (!dim) acrx_abort(kCorrectionFailed);
    const resbuf* first = rb_assoc(dim.get(), 13);
    const resbuf* second = rb_assoc(dim.get(), 14);
    if (first == nullptr || second == nullptr) return false;
    to_user(first->resval.rpoint, member.hp1);
    to_user(second->resval.rpoint, member.hp2);
    members.push_back(member);
  }
  return !members.empty();
}

// Appends the members' points to point_list; a point the host has no memory for (add_point
// says so) ends the command.
void add_member_points(const std::vector<Member>& members, resbuf* point_list) {
  for (const Member& member : members) {
    if (add_point(member.hp1, point_list, ChainRequest.point_count) != RTNORM ||
        add_point(member.hp2, point_list, ChainRequest.point_count) != RTNORM) {
      acrx_abort(kCorrectionFailed);
    }
  }
}

// Erases every member; a member the host does not erase ends the command, and the host takes
// back the members erased before it.
void erase_members(const std::vector<Member>& members) {
  for (const Member& member : members) {
    if (acdbEntDel(member.name) != RTNORM) acrx_abort(kNothingMade);
  }
}

// The reading proper, in the UCS of dim_name. Changes nothing unless it returns RTNORM.
int read_in_chain_ucs(const ads_name ss, const ads_name dim_name, resbuf* point_list,
                      SsName& dim_chain) {
  RbList dim(acdbEntGet(dim_name));
  if (!dim) acrx_abort(kCorrectionFailed);
  const resbuf* style = rb_assoc(dim.get(), 3);
  const resbuf* layer = rb_assoc(dim.get(), 8);
  const resbuf* line = rb_assoc(dim.get(), 10);
  const resbuf* second = rb_assoc(dim.get(), 14);
  if (style == nullptr || layer == nullptr || line == nullptr || second == nullptr) return RTCAN;
  ads_point line_point;
  ads_point hp2;
  to_user(line->resval.rpoint, line_point);
  to_user(second->resval.rpoint, hp2);
  // From the second extension-line origin across to the dimension line.
  const ads_real dx = line_point[X] - hp2[X];
  const ads_real dy = line_point[Y] - hp2[Y];
  // A dimension line through its own origin shows neither the side nor the direction; such a
  // chain is left as it is rather than regenerated somewhere.
  const ads_real length = std::hypot(dx, dy);
  if (length < kPointTolerance) return RTCAN;

  std::wstring chain_name;
  const int found = find_chain_members(dim_name, chain_name, dim_chain);
  if (found == RTERROR || found == RTCAN) return found;
  // Any other failure is the host's: the chain's members could not be looked for.
  if (found != RTNORM) acrx_abort(kCorrectionFailed);
  std::vector<Member> members;
  if (!read_members(dim_chain, members)) return RTCAN;
  for (const Member& member : members) drop_from(ss, member.name);
  add_member_points(members, point_list);
  erase_members(members);

  get_dimstyle(style->resval.rstring);
  acedCommandS(RTSTR, L"_-layer", RTSTR, L"_set", RTSTR, layer->resval.rstring, RTSTR, L"", RTNONE);
  // The chain runs along one axis of its UCS and its dimension line lies across it. In a turned
  // UCS the offset of a vertical chain keeps a trace of rounding in y rather than exactly 0, so
  // y counts as 0 when it is small beside the offset's length. Only the cross component places
  // the base line, one dimension-line distance back from the dimension line: a dimension-line
  // point that did not follow a moved extension line adds a component along the chain.
  const bool vertical = std::abs(dy) <= kAcrossTolerance * length;
  const int across = vertical ? X : Y;
  ChainRequest.angle = vertical ? kHalfPi : 0.0;
  ChainRequest.side = (vertical ? dx : dy) > 0.0 ? 1 : -1;
  line_point[across] -= ChainRequest.side * DimSettings.dimline_distance;
  ChainRequest.line_point[X] = line_point[X];
  ChainRequest.line_point[Y] = line_point[Y];
  ChainRequest.line_point[Z] = line_point[Z];
  return RTNORM;
}

}  // namespace

int read_chain(const ads_name ss, resbuf* point_list) {
  ads_name dim_name;
  if (acedSSName(ss, 0, dim_name) != RTNORM) return RTERROR;
  if (acedCommandS(RTSTR, L"_ucs", RTSTR, L"_e", RTENAME, dim_name, RTNONE) != RTNORM) {
    drop_from(ss, dim_name);
    return RTCAN;
  }
  SsName dim_chain;
  const int status = read_in_chain_ucs(ss, dim_name, point_list, dim_chain);
  if (status != RTNORM) {
    // Every member of a chain that cannot be read would fail the same way: none is tried again.
    drop_from(ss, dim_name);
    int32_t count = 0;
    if (dim_chain.held() && acedSSLength(dim_chain.name(), &count) == RTNORM) {
      for (int32_t i = 0; i < count; ++i) {
        ads_name member;
        if (acedSSName(dim_chain.name(), i, member) == RTNORM) drop_from(ss, member);
      }
    }
    ucs_previous();
  }
  return status;
}

const ACHAR* const kCorrectionFailed = L"\nFehler: Kein Speicher  correct";

RbList new_point_list() {
  RbList list(acutNewRb(RT3DPOINT));
  if (!list) acrx_abort(kCorrectionFailed);
  return list;
}

int32_t selection_length(const SsName& ss) {
  int32_t length = 0;
  if (!ss.held() || acedSSLength(ss.name(), &length) != RTNORM) return 0;
  return length;
}

// Chain identity and the chain data in the members' extended data.
#include "chain/chain_data.h"

#include <cwchar>

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
  const resbuf* type = find_group(entity_list, 0);
  return type != nullptr && type->resval.rstring != nullptr &&
         std::wcscmp(type->resval.rstring, L"DIMENSION") == 0;
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
    append_list(member.get(), xdata.release());
    if (acdbEntMod(member.get()) != RTNORM) return RTERROR;
  }
  return RTNORM;
}

int find_chain_members(const ads_name dim, std::wstring& chain_name, SsName& members) {
  RbList apps = chain_app_list();
  if (!apps) return RTREJ;
  RbList data(acdbEntGetX(dim, apps.get()));
  if (!data) return RTREJ;
  const resbuf* app = find_group(data.get(), 1001);
  if (app == nullptr || app->resval.rstring == nullptr) return RTERROR;
  chain_name = app->resval.rstring;
  RbList filter = chain_filter(chain_name.c_str());
  if (!filter) return RTREJ;
  return ss_get(L"X", nullptr, nullptr, filter.get(), members);
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
    const resbuf* app = find_group(data.get(), 1001);
    if (app == nullptr || app->resval.rstring == nullptr) continue;
    if (app->resval.rstring[0] == L'$') return RTNORM;
    acedAlert(L"Keine DULK Bemassung!");
  }
}

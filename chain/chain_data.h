// Chain identity: the chain name ("$" and the handle of the chain's first dimension), the
// extended data that ties the members of a chain together, and how members are found and
// picked. A chain dimension is a DIMENSION with extended data of an application matching "$*".
#pragma once

#include <string>

#include "frame/owners.h"
#include "host/arxHeaders.h"

// The application list for acdbEntGetX that returns the chain data of a dimension.
RbList chain_app_list();

// The selection filter for chain dimensions: of any chain with "$*", or of one chain by name.
RbList chain_filter(const ACHAR* chain_name);

// "$" followed by the handle text: the chain name of a chain whose first dimension has it.
std::wstring chain_name_for(const ACHAR* handle);

// Tags every dimension of handle_list (RTSTR nodes of handle texts, the first dimension first)
// as a member of one new chain named after the first. RTNORM when all were tagged; RTERROR at
// the first member that cannot be resolved, read or written (earlier members keep their tag).
int connect_dim(const resbuf* handle_list);

// The chain name of dim and a selection set of its chain's members: the chain dimensions of the
// drawing that carry that name and lie on dim's dimension line (parallel within the angle
// tolerance, on it within the point tolerance). Others carrying the name (copies of the chain)
// are chains of their own. RTERROR when dim carries no chain data; RTCAN when dim has no
// dimension line point; RTREJ when the host fails to build a list or to read a dimension;
// otherwise the status of the selection (RTREJ too when the host cannot make it).
int find_chain_members(const ads_name dim, std::wstring& chain_name, SsName& members);

// Asks the user for chain dimensions: with multi a selection set (the caller frees it with
// acedSSFree), without multi one chain dimension's entity name. RTNORM, RTCAN or RTNONE.
int select_chain(ads_name result, bool multi);

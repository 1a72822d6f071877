// Reading an existing chain back from its dimensions, so that updating it and adding or removing
// points can generate it anew: its points, and the UCS, dimension style, layer, direction,
// dimension line and side it was made with. Also the point lists and selection counts the
// chain-editing commands share.
#pragma once

#include <cstdint>

#include "frame/owners.h"
#include "host/arxHeaders.h"

// Reads the chain of the first dimension of ss into point_list (which has its first node).
//
// RTNORM: the UCS is the one the chain was made in (aligned with that dimension; the caller
// returns with ucs_previous after generating), the chain's dimension style (with its settings)
// and layer are current, ChainRequest holds its direction, dimension-line point and side,
// point_list ends with the two extension-line origins of every member (current UCS, counted in
// ChainRequest.point_count), and every member is erased and out of ss. The members are those of
// find_chain_members: copies of the chain elsewhere keep their dimensions and stay in ss.
//
// RTCAN when the chain cannot be read whole: that dimension or a member lacks its style, layer,
// dimension-line point or an extension-line origin, or its dimension line lies on its second
// extension-line origin. RTERROR when that dimension carries no chain data. Then nothing is
// erased or made current, point_list and the UCS are as they were, and that dimension (with
// every member found) has left ss, so that a loop over ss goes on with the next chain.
//
// When the host fails it (an entity it cannot hand over, a list or selection it has no memory
// for, a member it does not erase) the command ends through acrx_abort, and the host takes back
// what the command changed: a chain read in part would be regenerated in part.
int read_chain(const ads_name ss, resbuf* point_list);

// The message the chain-editing commands end with when the host has no memory for their work.
extern const ACHAR* const kCorrectionFailed;

// A new point list holding its first node only. Ends the command through acrx_abort with
// kCorrectionFailed when the host has no memory for it.
RbList new_point_list();

// The number of entities in ss; 0 when none is held or it cannot be counted.
int32_t selection_length(const SsName& ss);

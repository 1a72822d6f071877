// Chain generation: a point list and the chain request become one chain of linear dimensions,
// drawn by the host's dimensioning command with texts the module formats and tied together as
// one chain. Also the routines that grow and shrink a point list.
//
// A point list is a result-buffer list whose first node carries no point, followed by one
// RT3DPOINT node per point (current UCS). Its owner releases it with acutRelRb.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "chain/chain_request.h"
#include "host/arxHeaders.h"
#include "settings/dim_settings.h"

// Generates the chain of point_list from ChainRequest (angle, line_point, side) and the
// settings loaded by get_dimstyle. RTNORM, or RTCAN when the user gave the chain up with Esc at
// the side of its dimension line (nothing is drawn then); ends with acedRetVoid. OSMODE is 0
// while it works and back at its old value on every way out.
int create_chain(const resbuf* point_list);

using ChainPointCompare = int (*)(const ChainPoint& a, const ChainPoint& b);

// Draws the dimensions of ChainRequest.points along coordinate `along` ("_hori": along x,
// "_ver": along y), sorted with cmp, and tags them as one chain. When the host fails it (a
// dimension not made, no memory for the handle list, a member it cannot read or tag) the
// command ends through acrx_abort with the message of that step, and the host takes back the
// whole chain; a dimensioning command that completes without making the first dimension only
// prints that none was made. RTCAN when the side of the dimension line was asked and answered
// with Esc, before anything was drawn; otherwise RTNORM.
int dim_main(const ACHAR* dir_keyword, int across, int along, ChainPointCompare cmp);

// Removes from sorted points every point whose successor lies within the point tolerance of it
// along the chain, so that of a run at one place the last remains. Gives the least and the
// greatest cross coordinate of the points kept (the first point's is always counted) and
// returns the new count.
int clean_points(ChainPoint* points, int count, int along, ads_real& maximum, ads_real& minimum,
                 int across);

// Ascending order by x (cmp_x) or y (cmp_y): -1, 0 or +1.
int cmp_x(const ChainPoint& a, const ChainPoint& b);
int cmp_y(const ChainPoint& a, const ChainPoint& b);

// The text of a dimension of length distance, rounded to multiples of rounding (when above 0),
// times the length factor of settings, its decimals raised and its zeros trimmed as settings
// say; none when the rounding or the length factor takes the number out of the range of a
// double.
std::optional<std::wstring> measurement_text(ads_real distance, ads_real rounding,
                                             const DimSettingsRecord& settings);

// Writes measurement_text with DimSettings into ChainRequest.text_buffer (cut to its length).
// Returns RTNORM; RTERROR, with an empty text, when there is none.
int format_dim_text(ads_real distance, ads_real rounding);

// Appends an RT3DPOINT node holding point to point_list (which has its first node) and raises
// counter. RTCAN when there is no memory for the node.
int add_point(const ads_point point, resbuf* point_list, int32_t& counter);

// Unlinks and releases the last point of point_list and lowers counter; nothing when the list
// has no point or counter is below 1. Returns RTNORM.
int remove_last_point(resbuf* point_list, int32_t& counter);

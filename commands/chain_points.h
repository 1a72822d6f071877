// Adding points to chains and removing points from a chain: the routine that takes a point out
// of a chain's point list.
#pragma once

#include <cstdint>

#include "host/arxHeaders.h"

// Takes the chain point nearest to picked (in space; of equally near ones the first in the list)
// out of point_list, with every copy of it (within the point tolerance in each coordinate),
// lowering count by one per node. A list without points gets the message "\n Keine Punkte mehr
// in Masskette !" instead. Returns RTNORM.
int remove_point(const ads_point picked, resbuf* point_list, int32_t& count);

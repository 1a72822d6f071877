// The coordinate-system codes the chain commands hand to acedTrans, and the conversions they
// share: the world system, the current UCS, and the object system of an extrusion direction.
#pragma once

#include "host/arxHeaders.h"

// acedTrans codes: the world system and the current UCS.
constexpr short kBksWorld = 0;
constexpr short kBksUser = 1;

// An RTSHORT buffer naming a coordinate system for acedTrans.
resbuf coordinate_system(short code);

// An RT3DPOINT buffer naming the object coordinate system of extrusion for acedTrans.
resbuf extrusion_system(const ads_point extrusion);

// True when extrusion is the world Z axis, where the object system is the world system.
bool is_world_extrusion(const ads_point extrusion);

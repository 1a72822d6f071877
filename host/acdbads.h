// The host's database functions of the ADS family (the real SDK's acdbads.h).
#pragma once

#include <cstring>

#include "adsdef.h"

void acdbFail(const ACHAR* str);
int acdbHandEnt(const ACHAR* handle, ads_name entres);

// Names are copied and cleared by macros, not functions; the result is the second argument.
#define acdbNameSet(from, to) (std::memcpy(to, from, sizeof(ads_name)))
#define acdbPointSet(from, to) (std::memcpy(to, from, sizeof(ads_point)))
#define acdbNameClear(name) name[0] = name[1] = 0
#define acdbNameNil(name) (name[0] == 0 && name[1] == 0)
#define acdbNameEqual(name1, name2) (name1[0] == name2[0] && name1[1] == name2[1])

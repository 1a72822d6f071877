// The host's utility functions (the real SDK's acutads.h): output, result buffers and point
// geometry. C++ linkage, as the SDK declares them.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "adsdef.h"

// acutPrintf and acutVSPrintf read %s as a wide string, as the real host does.
int acutPrintf(const ACHAR* format, ...);
struct resbuf* acutNewRb(int v);
// Releases the whole list, the texts and binary chunks its nodes hold included.
int acutRelRb(struct resbuf* rb);
struct resbuf* acutBuildList(int rtype, ...);
ads_real acutAngle(const ads_point pt1, const ads_point pt2);
ads_real acutDistance(const ads_point pt1, const ads_point pt2);
void acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point ptres);
int acutVSPrintf(wchar_t* buf, size_t nBufLen, const wchar_t* fmt, va_list va);

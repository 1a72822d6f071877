// The host's C interface (ADS): input, selection sets, entity lists, symbol tables, scripted
// commands, system variables, geometry, output and result buffers. Declarations only; the
// stand-in host (cad/ads) implements them, the real host's SDK would as well.
//
// Ownership: every resbuf list returned by a function here belongs to the caller, who releases it
// with acutRelRb. Every selection set returned by acedSSGet/acedSSAdd lives until acedSSFree.
#pragma once

#include <cstdarg>

#include "adsdef.h"

extern "C" {

// Input. Points are in the current UCS.
int acedInitGet(int flags, const ACHAR* keywords);
int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result);
int acedGetDist(const ads_point base, const ACHAR* prompt, ads_real* result);
int acedGetOrient(const ads_point base, const ACHAR* prompt, ads_real* result);
int acedGetAngle(const ads_point base, const ACHAR* prompt, ads_real* result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetInt(const ACHAR* prompt, int* result);
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t len);
int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t len);
int acedGetInput(ACHAR* str, size_t len);
int acedEntSel(const ACHAR* prompt, ads_name ent, ads_point picked);
resbuf* acedGetArgs(void);
int acedGrDraw(const ads_point from, const ads_point to, int color, int hl);
int acedRetVoid(void);

// Selection sets. acedSSGet answers RTERROR when nothing was selected, RTREJ when the host could
// not make the set; acedSSAdd answers RTREJ when it could not make a new one.
int acedSSGet(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter,
              ads_name ss);
int acedSSLength(const ads_name ss, int32_t* len);
int acedSSName(const ads_name ss, int32_t i, ads_name entres);
int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result);
int acedSSDel(const ads_name ename, const ads_name ss);
int acedSSMemb(const ads_name ename, const ads_name ss);
int acedSSFree(const ads_name sname);

// Entity lists.
resbuf* acdbEntGet(const ads_name ent);
resbuf* acdbEntGetX(const ads_name ent, const resbuf* apps);
int acdbEntMake(const resbuf* entm);
int acdbEntMod(const resbuf* entm);
int acdbEntDel(const ads_name ent);
int acdbEntLast(ads_name result);
int acdbEntNext(const ads_name ent, ads_name result);
int acdbHandEnt(const ACHAR* handle, ads_name entres);
int acdbRegApp(const ACHAR* appname);
int acdbNameClear(ads_name name);
int acdbNameSet(const ads_name from, ads_name to);

// Symbol tables.
resbuf* acdbTblSearch(const ACHAR* tblname, const ACHAR* sym, int setnext);
resbuf* acdbTblNext(const ACHAR* tblname, int rewind);

// Scripted commands and system variables.
int acedCommandS(int rtype, ...);
int acedCmdS(const resbuf* args);
int acedGetVar(const ACHAR* sym, resbuf* result);
int acedSetVar(const ACHAR* sym, const resbuf* val);

// Geometry.
int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp, ads_point result);
int acdbInters(const ads_point from1, const ads_point to1, const ads_point from2,
               const ads_point to2, int teston, ads_point result);
ads_real acutDistance(const ads_point p1, const ads_point p2);
ads_real acutAngle(const ads_point p1, const ads_point p2);
void acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point result);
int acdbDisToF(const ACHAR* str, int unit, ads_real* v);
int acdbRToS(ads_real val, int unit, int prec, ACHAR* str, size_t len);

// Output and failure. acutPrintf reads %s as a wide string, as the real host does.
int acutPrintf(const ACHAR* format, ...);
int acutVSPrintf(ACHAR* buf, size_t len, const ACHAR* format, va_list args);
int acedAlert(const ACHAR* text);
[[noreturn]] void acrx_abort(const ACHAR* format, ...);
void acdbFail(const ACHAR* text);

// Result buffers and strings.
resbuf* acutNewRb(int type);
int acutRelRb(resbuf* rb);
resbuf* acutBuildList(int rtype, ...);
// Allocates size characters (at least 1), zero-filled; release with acutDelString or with the
// resbuf that holds it.
ACHAR* acutNewString(size_t size);
void acutDelString(ACHAR*& str);
// Replaces *dest with a fresh copy of src (nullptr clears it).
int acutUpdString(const ACHAR* src, ACHAR*& dest);
}
